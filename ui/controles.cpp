#include "ui/controles.h"

#include "ui/dibujos.h"
#include "ui/disposicion.h"
#include "ui/estilos.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <stdexcept>
#include <string_view>

namespace colvero::ui {
namespace {

QRect rectangulo(const Control& c) {
    return QRect(pixeles(c.x), pixeles(c.y), pixeles(c.ancho), pixeles(c.alto));
}

QWidget* crear(const Control& c, QWidget& ventana) {
    const QString texto = c.texto ? QString::fromUtf8(c.texto) : QString();
    QWidget* w = nullptr;
    switch (c.tipo) {
    case Tipo::Panel:
        w = new Panel(&ventana);
        break;
    case Tipo::Imagen: {
        auto* imagen = new QLabel(&ventana);
        // The formula is drawn the first time it shows (it starts hidden), which keeps its
        // font out of the start-up.
        if (std::string_view(c.nombre) != imagenShields().nombre)
            imagen->setPixmap(icono());
        imagen->setAlignment(Qt::AlignCenter);
        w = imagen;
        break;
    }
    case Tipo::Etiqueta: {
        auto* etiqueta = new QLabel(texto, &ventana);
        etiqueta->setTextFormat(Qt::PlainText);
        etiqueta->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        etiqueta->setWordWrap(c.variasLineas);
        w = etiqueta;
        break;
    }
    case Tipo::Texto: {
        auto* caja = new QLineEdit(texto, &ventana);
        caja->setCursorPosition(0);
        if (c.estilo == Estilo::Resultado || c.estilo == Estilo::ResultadoRh) {
            // A result can be selected and copied, and its tooltip shows what the narrow box
            // cuts off; the Tab key still passes it by.
            caja->setReadOnly(true);
            caja->setFocusPolicy(Qt::ClickFocus);
            caja->setToolTip(texto);
            QObject::connect(caja, &QLineEdit::textChanged, caja, &QWidget::setToolTip);
        } else if (c.estilo == Estilo::MarcadorNumero || c.estilo == Estilo::MarcadorTexto) {
            caja->setEnabled(false);
        }
        if (c.alto > 400) {
            caja->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        }
        w = caja;
        break;
    }
    case Tipo::Casilla: {
        auto* casilla = new QCheckBox(&ventana);
        casilla->setChecked(true);
        w = casilla;
        break;
    }
    case Tipo::Boton: {
        // The report button's caption wraps onto two lines.
        QString leyenda = texto;
        if (c.variasLineas) {
            leyenda.replace(QStringLiteral("informe "), QStringLiteral("informe\n"));
        }
        w = new QPushButton(leyenda, &ventana);
        break;
    }
    }
    w->setObjectName(QString::fromLatin1(c.nombre));
    aplicarEstilo(*w, c);
    QRect r = rectangulo(c);
    w->setGeometry(r);
    if (c.tipo == Tipo::Etiqueta && !c.variasLineas) {
        ajustarAlTexto(static_cast<QLabel&>(*w));
    }
    return w;
}

// A one-line caption that would run under a box to its right is drawn a little narrower (font
// stretch down to 85 %) so that the box, which keeps its place, hides none of it.
void estrecharAnteCajas(QLabel& etiqueta, const std::vector<QWidget*>& cajas) {
    const QRect r = etiqueta.geometry();
    const QFontMetrics medidas = etiqueta.fontMetrics();
    const QRect texto(r.topLeft(),
                      QSize(medidas.horizontalAdvance(etiqueta.text()), medidas.height()));
    int limite = texto.right() + 1;
    for (const QWidget* caja : cajas) {
        if (caja->x() > r.x() && caja->geometry().intersects(texto)) {
            limite = std::min(limite, caja->x() - 1);
        }
    }
    const int ancho = limite - r.x();
    if (texto.width() <= ancho) {
        return;
    }
    QFont fuente = etiqueta.font();
    for (int estiramiento = 99;
         estiramiento >= 85 && QFontMetrics(fuente).horizontalAdvance(etiqueta.text()) > ancho;
         --estiramiento) {
        fuente.setStretch(estiramiento);
    }
    etiqueta.setFont(fuente);
    etiqueta.setGeometry(r.x(), r.y(), ancho, r.height());
}

} // namespace

void ajustarAlTexto(QLabel& etiqueta) {
    const QFontMetrics medidas = etiqueta.fontMetrics();
    QRect r = etiqueta.geometry();
    r.setWidth(std::max(r.width(), medidas.horizontalAdvance(etiqueta.text()) + 2));
    r.setHeight(std::max(r.height(), medidas.height()));
    etiqueta.setGeometry(r);
}

namespace {
template <class T> T* como(const Controles& c, const char* nombre) {
    auto* w = qobject_cast<T*>(c.control(QString::fromLatin1(nombre)));
    if (!w) {
        throw std::logic_error(std::string("control de otro tipo: ") + nombre);
    }
    return w;
}
} // namespace

Controles::Controles(QWidget& ventana) {
    const std::vector<Control> todos = todosLosControles();
    std::vector<std::pair<int, QWidget*>> conTab;
    const auto pasada = [&](auto incluir) {
        for (const Control& c : todos) {
            if (incluir(c.tipo)) {
                QWidget* w = crear(c, ventana);
                porNombre_.insert(w->objectName(), w);
                if (c.tab != 0) {
                    conTab.emplace_back(c.tab, w);
                }
            }
        }
    };
    pasada([](Tipo t) { return t == Tipo::Panel; });
    pasada([](Tipo t) { return t == Tipo::Etiqueta; });
    pasada([](Tipo t) { return t == Tipo::Imagen; });
    pasada([](Tipo t) { return t == Tipo::Texto || t == Tipo::Casilla || t == Tipo::Boton; });

    std::vector<QWidget*> cajas;
    for (QWidget* w : std::as_const(porNombre_)) {
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w)) {
            cajas.push_back(w);
        }
    }
    for (const Control& c : todos) {
        if (c.tipo == Tipo::Etiqueta && !c.variasLineas && c.texto) {
            estrecharAnteCajas(*como<QLabel>(*this, c.nombre), cajas);
        }
    }

    std::sort(conTab.begin(), conTab.end());
    for (std::size_t k = 0; k + 1 < conTab.size(); ++k) {
        QWidget::setTabOrder(conTab[k].second, conTab[k + 1].second);
    }
    for (auto* w : porNombre_) {
        if (!qobject_cast<QLineEdit*>(w) && !qobject_cast<QAbstractButton*>(w)) {
            w->setFocusPolicy(Qt::NoFocus);
        }
    }
}

QWidget* Controles::control(const QString& nombre) const {
    QWidget* w = porNombre_.value(nombre);
    if (!w) {
        throw std::logic_error("control desconocido: " + nombre.toStdString());
    }
    return w;
}

QLineEdit* Controles::texto(const char* nombre) const {
    return como<QLineEdit>(*this, nombre);
}
QLabel* Controles::etiqueta(const char* nombre) const {
    return como<QLabel>(*this, nombre);
}
QCheckBox* Controles::casilla(const char* nombre) const {
    return como<QCheckBox>(*this, nombre);
}
QPushButton* Controles::boton(const char* nombre) const {
    return como<QPushButton>(*this, nombre);
}

std::string Controles::leer(const char* nombre) const {
    QWidget* w = control(QString::fromLatin1(nombre));
    if (auto* caja = qobject_cast<QLineEdit*>(w)) {
        return caja->text().toStdString();
    }
    return como<QLabel>(*this, nombre)->text().toStdString();
}

void Controles::escribir(const char* nombre, const std::string& valor) const {
    const QString texto = QString::fromStdString(valor);
    QWidget* w = control(QString::fromLatin1(nombre));
    if (auto* caja = qobject_cast<QLineEdit*>(w)) {
        caja->setText(texto);
        caja->setCursorPosition(0);
    } else {
        como<QLabel>(*this, nombre)->setText(texto);
    }
}

} // namespace colvero::ui
