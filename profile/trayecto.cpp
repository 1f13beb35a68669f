#include "profile/trayecto.h"

namespace colvero::perfil {
namespace {

std::string entre(const std::string& s) {
    return "«" + s + "»";
}

int buscarNodo(const red::ModeloRed& m, const std::string& id) {
    for (std::size_t k = 0; k < m.nodos.size(); ++k)
        if (m.nodos[k].id == id)
            return static_cast<int>(k);
    return -1;
}

int buscarEnlace(const red::ModeloRed& m, const std::string& id) {
    for (std::size_t k = 0; k < m.enlaces.size(); ++k)
        if (m.enlaces[k].id == id)
            return static_cast<int>(k);
    return -1;
}

} // namespace

void partirTrayecto(const red::ModeloRed& m, const std::string& texto, std::string& desde,
                    std::string& hasta) {
    desde = texto;
    hasta.clear();
    if (buscarNodo(m, texto) >= 0 || buscarEnlace(m, texto) >= 0)
        return;
    std::size_t corte = texto.rfind(':');
    if (corte == std::string::npos)
        return;
    for (std::size_t dos = texto.find(':'); dos != std::string::npos;
         dos = texto.find(':', dos + 1)) {
        if (buscarNodo(m, texto.substr(0, dos)) >= 0 && buscarNodo(m, texto.substr(dos + 1)) >= 0) {
            corte = dos;
            break;
        }
    }
    desde = texto.substr(0, corte);
    hasta = texto.substr(corte + 1);
}

Trayecto trazarTrayecto(const red::ModeloRed& m, const red::Topologia& t, const std::string& desde,
                        const std::string& hasta) {
    Trayecto r;
    int nodo = -1;
    const int tramo = hasta.empty() ? buscarEnlace(m, desde) : -1;
    if (tramo >= 0) {
        const red::Extremos& e = t.extremos[static_cast<std::size_t>(tramo)];
        if (e.desde < 0 || e.hasta < 0)
            throw ErrorTrayecto{"el tramo " + entre(desde) + " no une dos nodos conocidos"};
        r.nodos.push_back(e.desde);
        r.enlaces.push_back(tramo);
        nodo = e.hasta;
    } else {
        nodo = buscarNodo(m, desde);
        if (nodo < 0)
            throw ErrorTrayecto{
                (hasta.empty() ? "no hay ningún tramo ni nodo " : "no hay ningún nodo ") +
                entre(desde)};
    }
    int fin = -1;
    if (!hasta.empty()) {
        fin = buscarNodo(m, hasta);
        if (fin < 0)
            throw ErrorTrayecto{"no hay ningún nodo " + entre(hasta)};
        if (fin == nodo)
            throw ErrorTrayecto{"el trayecto de " + entre(desde) + " a " + entre(hasta) +
                                " no tiene ningún tramo: dé dos nodos distintos"};
    }

    // Each node is met once on a path; meeting one again is a loop, and the walk stops there.
    std::vector<bool> visto(m.nodos.size(), false);
    for (const int n : r.nodos)
        visto[static_cast<std::size_t>(n)] = true;
    while (true) {
        if (visto[static_cast<std::size_t>(nodo)])
            throw ErrorTrayecto{"el camino del agua desde " + entre(desde) + " vuelve al nodo " +
                                entre(m.nodos[static_cast<std::size_t>(nodo)].id) +
                                ": hay un bucle"};
        visto[static_cast<std::size_t>(nodo)] = true;
        r.nodos.push_back(nodo);
        if (nodo == fin)
            break;
        const int sigue = t.sigue[static_cast<std::size_t>(nodo)];
        const int siguiente = sigue < 0 ? -1 : t.extremos[static_cast<std::size_t>(sigue)].hasta;
        if (siguiente < 0) {
            if (fin >= 0)
                throw ErrorTrayecto{"los nodos " + entre(desde) + " y " + entre(hasta) +
                                    " no están en un mismo camino del agua"};
            break;
        }
        r.enlaces.push_back(sigue);
        nodo = siguiente;
    }
    if (r.enlaces.empty())
        throw ErrorTrayecto{"del nodo " + entre(desde) +
                            " no sale ningún tramo que lleve el agua aguas abajo"};
    return r;
}

} // namespace colvero::perfil
