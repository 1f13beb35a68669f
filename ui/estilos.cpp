#include "ui/estilos.h"

#include <QColor>
#include <QLineEdit>
#include <QPalette>
#include <QWidget>

namespace colvero::ui {
namespace {

constexpr const char* kSansSerif = "MS Sans Serif";
constexpr const char* kBell = "Bell MT";

QFont fuente(const char* familia, double puntos, bool negrita) {
    QFont f(QString::fromLatin1(familia));
    f.setPointSizeF(puntos);
    f.setBold(negrita);
    return f;
}

struct Aspecto {
    QColor texto;
    QColor fondo; // invalid: transparent
    QFont fuente;
};

Aspecto aspectoDe(Estilo estilo) {
    const QColor verdeClaro(192, 255, 192);
    const QColor verdeOscuro(0, 64, 0);
    const QColor gris(64, 64, 64);
    const QFont ventana = fuenteVentana();
    switch (estilo) {
    case Estilo::EntradaNumero:
    case Estilo::MarcadorNumero:
        return {verdeOscuro, verdeClaro, ventana};
    case Estilo::EntradaTexto:
    case Estilo::MarcadorTexto:
        return {gris, verdeClaro, ventana};
    case Estilo::EntradaLimite:
        return {verdeClaro, QColor(0, 0, 0), ventana};
    case Estilo::Resultado:
        return {QColor(0, 0, 64), QColor(0, 128, 128), ventana};
    case Estilo::ResultadoRh:
        return {QColor(0, 255, 0), QColor(128, 128, 0), ventana};
    case Estilo::Cantidad:
    case Estilo::Estado:
        return {verdeClaro, {}, ventana};
    case Estilo::Limite:
        return {QColor(255, 255, 0), {}, ventana};
    case Estilo::Titulo:
        return {QColor(255, 255, 255), {}, fuente(kSansSerif, 8.25, true)};
    case Estilo::Cabecera:
        return {gris, {}, fuente(kSansSerif, 8.25, true)};
    case Estilo::CabeceraNegra:
        return {QColor(0, 0, 0), {}, fuente(kSansSerif, 8.25, true)};
    case Estilo::EstadoCalculo:
        return {verdeClaro, {}, fuente(kSansSerif, 9.75, true)};
    case Estilo::Fabricante:
        return {verdeOscuro, {}, fuente(kSansSerif, 9.75, false)};
    case Estilo::FabricanteNegrita:
        return {verdeOscuro, {}, fuente(kSansSerif, 9.75, true)};
    case Estilo::Patrocina:
        return {verdeOscuro, {}, fuente(kSansSerif, 8.25, true)};
    case Estilo::TituloSombra:
        return {verdeOscuro, {}, fuente(kBell, 48, true)};
    case Estilo::TituloPrograma:
        return {verdeClaro, {}, fuente(kBell, 48, true)};
    case Estilo::Version:
        return {verdeClaro, {}, fuente(kBell, 12, true)};
    case Estilo::Subtitulo:
        return {verdeClaro, {}, fuente(kSansSerif, 9.75, false)};
    case Estilo::Panel:
    case Estilo::Ninguno:
        break;
    }
    return {QColor(0, 0, 0), {}, ventana};
}

} // namespace

void registrarSustitutosDeFuentes() {
    QFont::insertSubstitution(QString::fromLatin1(kSansSerif), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QString::fromLatin1(kBell), QStringLiteral("Baskervald ADF Std"));
}

QFont fuenteVentana() {
    return fuente(kSansSerif, 8.25, false);
}

void aplicarEstilo(QWidget& control, const Control& datos) {
    QPalette paleta = control.palette();
    if (datos.tipo == Tipo::Boton) {
        paleta.setColor(QPalette::Button, QColor::fromRgb(datos.fondoBoton));
        // The toolkit's disabled caption is nearly the grey of the report button itself.
        paleta.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(96, 96, 96));
        control.setPalette(paleta);
        return;
    }
    if (datos.estilo == Estilo::Ninguno || datos.estilo == Estilo::Panel) {
        return;
    }
    const Aspecto aspecto = aspectoDe(datos.estilo);
    control.setFont(aspecto.fuente);
    if (datos.tipo == Tipo::Texto) {
        // Disabled boxes keep their colours so that results stay legible.
        for (auto grupo : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            paleta.setColor(grupo, QPalette::Text, aspecto.texto);
            paleta.setColor(grupo, QPalette::Base, aspecto.fondo);
        }
    } else {
        for (auto grupo : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            paleta.setColor(grupo, QPalette::WindowText, aspecto.texto);
        }
    }
    control.setPalette(paleta);
}

} // namespace colvero::ui
