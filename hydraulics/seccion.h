#pragma once
// The quantities of a circular section at one depth that depend on nothing but the diameter
// and the depth. A search over the slope solves the normal depth hundreds of times for one
// diameter, and its depth bisections meet the same trial depths again and again: a
// MemoriaSeccion computes each such depth once, with the very relations of a direct
// computation, so that every result stays the same bit for bit.
#include <cstdint>
#include <vector>

namespace colvero::hidraulica {

struct GeometriaProfundidad {
    double teta; // central angle, rad
    double A;    // wetted area, m2
    double P;    // wetted perimeter, m
    double Rh;   // hydraulic radius, m
    double Rh23; // Rh^(2/3), Manning's factor
};

// The geometry of the central angle teta, or of the depth y, in the section of diameter D
// (raises ErrorAritmetico as the relations do).
GeometriaProfundidad geometriaDeAngulo(double teta, double D);
GeometriaProfundidad geometria(double y, double D);

class MemoriaSeccion {
public:
    explicit MemoriaSeccion(double D) : D_(D) {}

    // Forgets every depth and serves the section of diameter D, keeping the storage.
    void reiniciar(double D);

    double diametro() const { return D_; }

    // geometria(y, diametro()), computed on the first call for this y: for the few fixed depths
    // of TEO6 (that of Qmax, the full section's, condition 10's). A depth whose computation
    // raised is not kept, so it raises again.
    const GeometriaProfundidad& en(double y);

    // The trial depths of TETA3's bisection form a binary tree: each depth follows from the
    // path of halvings that leads to it. A trial is looked up by its parent node and the half
    // taken (`arriba`: the upper half); `padre` -1 is the first trial. y is
    // the trial depth, from which the node is computed when it is new. Returns the node.
    std::int32_t nodo(std::int32_t padre, bool arriba, double y);
    const GeometriaProfundidad& geometriaDe(std::int32_t nodo) const { return nodos_[nodo].g; }

private:
    struct Profundidad {
        double y;
        GeometriaProfundidad g;
    };

    struct Nodo {
        GeometriaProfundidad g;
        std::int32_t hijos[2]; // lower and upper half; -1 not yet met
    };

    double D_;
    std::vector<Profundidad> profundidades_; // searched in turn: a handful
    std::vector<Nodo> nodos_;                // nodos_[0], when present, is the first trial
};

} // namespace colvero::hidraulica
