#include "ui/dialogo_diseno.h"

#include "check/numero.h"
#include "ui/marco.h"
#include "ui/recientes.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QStringList>
#include <QVBoxLayout>

#include <charconv>
#include <cmath>

namespace colvero::ui {
namespace {

constexpr const char* kGrupo = "diseno";

// The shortest text that reads back as `x`, with `sep`.
QString texto(double x, char sep) {
    char b[32];
    const auto fin = std::to_chars(b, b + sizeof b, x).ptr;
    QString s = QString::fromLatin1(b, static_cast<qsizetype>(fin - b));
    s.replace(QLatin1Char('.'), QLatin1Char(sep));
    return s;
}

// The number of a box; nothing, and `error` names the box and says what it takes.
std::optional<double> numero(const QLineEdit* caja, const char* nombre, const char* ejemplo,
                             char sep, QString& error) {
    const QString t = caja->text().trimmed();
    const std::optional<double> x = leerNumero(t.toStdString(), sep);
    if (x && std::isfinite(*x))
        return x;
    QString muestra = QString::fromLatin1(ejemplo);
    muestra.replace(QLatin1Char('.'), QLatin1Char(sep));
    error = QStringLiteral("%1 «%2» no es un número: escriba metros, como %3.")
                .arg(QString::fromUtf8(nombre), t, muestra);
    return std::nullopt;
}

} // namespace

diseno::Limites limitesGuardados() {
    diseno::Limites l;
    QSettings a = ajustesDelPrograma();
    a.beginGroup(QLatin1String(kGrupo));
    const auto leer = [&](const char* clave, double& valor) {
        bool ok = false;
        const double x = a.value(QLatin1String(clave)).toDouble(&ok);
        if (ok && std::isfinite(x))
            valor = x;
    };
    leer("recubrimiento", l.recubrimiento);
    leer("profundidadMaxima", l.profundidadMaxima);
    leer("resaltoMinimo", l.resaltoMinimo);
    leer("sobreancho", l.sobreancho);
    leer("cama", l.cama);
    l.alinearClaves = a.value(QStringLiteral("alinearClaves"), false).toBool();
    const QStringList nodos = a.value(QStringLiteral("fijasNodos")).toStringList();
    const QStringList cotas = a.value(QStringLiteral("fijasCotas")).toStringList();
    for (qsizetype k = 0; k < nodos.size() && k < cotas.size(); ++k) {
        bool ok = false;
        const double z = cotas[k].toDouble(&ok);
        if (ok && std::isfinite(z))
            l.fijas.emplace_back(nodos[k].toStdString(), z);
    }
    return l;
}

void guardarLimites(const diseno::Limites& l) {
    QSettings a = ajustesDelPrograma();
    a.beginGroup(QLatin1String(kGrupo));
    a.setValue(QStringLiteral("recubrimiento"), l.recubrimiento);
    a.setValue(QStringLiteral("profundidadMaxima"), l.profundidadMaxima);
    a.setValue(QStringLiteral("resaltoMinimo"), l.resaltoMinimo);
    a.setValue(QStringLiteral("sobreancho"), l.sobreancho);
    a.setValue(QStringLiteral("cama"), l.cama);
    a.setValue(QStringLiteral("alinearClaves"), l.alinearClaves);
    QStringList nodos, cotas;
    for (const auto& [nodo, z] : l.fijas) {
        nodos << QString::fromStdString(nodo);
        cotas << texto(z, '.');
    }
    a.setValue(QStringLiteral("fijasNodos"), nodos);
    a.setValue(QStringLiteral("fijasCotas"), cotas);
}

QString textoDeFijas(const diseno::Limites& l, char sep) {
    QString t;
    for (const auto& [nodo, z] : l.fijas)
        t += QString::fromStdString(nodo) + QLatin1Char('=') + texto(z, sep) + QLatin1Char('\n');
    return t;
}

DialogoDiseno::DialogoDiseno(char separadorDecimal, const red::ModeloRed* modelo, QWidget* padre)
    : QDialog(padre), sep_(separadorDecimal), modelo_(modelo), aceptados_(limitesGuardados()) {
    setObjectName(QStringLiteral("DialogoDiseno"));
    setWindowTitle(QStringLiteral("Diseñar la red"));
    const auto caja = [&](const char* nombre, double valor, const QString& ayuda) {
        auto* c = new QLineEdit(texto(valor, sep_), this);
        c->setObjectName(QLatin1String(nombre));
        c->setToolTip(ayuda);
        return c;
    };
    const diseno::Limites& l = aceptados_;
    recubrimiento_ = caja("Recubrimiento", l.recubrimiento,
                          QStringLiteral("Sobre la clave del tubo, en los dos extremos de cada "
                                         "tramo"));
    profundidad_ = caja("ProfundidadMaxima", l.profundidadMaxima,
                        QStringLiteral("Del terreno a la solera, en cada pozo"));
    resalto_ = caja("ResaltoMinimo", l.resaltoMinimo,
                    QStringLiteral("La solera del tramo que sale de un pozo, al menos esto por "
                                   "debajo de la más baja de los que llegan"));
    alinear_ = new QCheckBox(QStringLiteral("Alinear &claves"), this);
    alinear_->setObjectName(QStringLiteral("AlinearClaves"));
    alinear_->setChecked(l.alinearClaves);
    alinear_->setToolTip(QStringLiteral("La clave del tramo que sale de un pozo no queda por "
                                        "encima de la más baja de los que llegan"));
    sobreancho_ = caja("Sobreancho", l.sobreancho,
                       QStringLiteral("A cada lado del tubo, en el ancho de la zanja"));
    cama_ = caja("Cama", l.cama, QStringLiteral("Bajo la solera, en la profundidad de la zanja"));
    fijas_ = new QPlainTextEdit(textoDeFijas(l, sep_), this);
    fijas_->setObjectName(QStringLiteral("CotasFijas"));
    fijas_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    fijas_->setTabChangesFocus(true);
    fijas_->setToolTip(QStringLiteral("Una «NODO=COTA» por línea, en metros; se toma al "
                                      "centímetro"));

    auto* formulario = new QFormLayout;
    formulario->addRow(QStringLiteral("&Recubrimiento mínimo (m):"), recubrimiento_);
    formulario->addRow(QStringLiteral("&Profundidad máxima (m):"), profundidad_);
    formulario->addRow(QStringLiteral("Resalto &mínimo (m):"), resalto_);
    formulario->addRow(QString(), alinear_);
    formulario->addRow(QStringLiteral("&Sobreancho b (m):"), sobreancho_);
    formulario->addRow(QStringLiteral("C&ama c (m):"), cama_);
    formulario->addRow(QStringLiteral("Cotas &fijas (NODO=COTA):"), fijas_);
    auto* explicacion = new QLabel(
        QStringLiteral("Coste: volumen de excavación, Σ L·(D + 2·b)·(profundidad media + c)."),
        this);
    explicacion->setWordWrap(true);
    fallo_ = new QLabel(this);
    fallo_->setObjectName(QStringLiteral("FalloDiseno"));
    fallo_->setWordWrap(true);
    fallo_->setTextFormat(Qt::PlainText);
    auto* botones = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    botones->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Diseñar"));
    botones->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
    connect(botones, &QDialogButtonBox::accepted, this, &DialogoDiseno::accept);
    connect(botones, &QDialogButtonBox::rejected, this, &DialogoDiseno::reject);
    auto* raiz = new QVBoxLayout(this);
    raiz->addLayout(formulario);
    raiz->addWidget(explicacion);
    raiz->addWidget(fallo_);
    raiz->addWidget(botones);
    ajustarAPantalla(*this, QSize(440, 420), padre);
}

std::optional<diseno::Limites> DialogoDiseno::limites(QString& error) const {
    diseno::Limites l;
    const struct {
        const QLineEdit* caja;
        const char* nombre;
        const char* ejemplo;
        double* valor;
    } campos[] = {
        {recubrimiento_, "El recubrimiento mínimo", "1.0", &l.recubrimiento},
        {profundidad_, "La profundidad máxima", "6.0", &l.profundidadMaxima},
        {resalto_, "El resalto mínimo", "0.0", &l.resaltoMinimo},
        {sobreancho_, "El sobreancho", "0.3", &l.sobreancho},
        {cama_, "La cama", "0.10", &l.cama},
    };
    for (const auto& c : campos) {
        const std::optional<double> x = numero(c.caja, c.nombre, c.ejemplo, sep_, error);
        if (!x)
            return std::nullopt;
        *c.valor = *x;
    }
    l.alinearClaves = alinear_->isChecked();
    const QStringList lineas = fijas_->toPlainText().split(QLatin1Char('\n'));
    for (qsizetype k = 0; k < lineas.size(); ++k) {
        const QString linea = lineas[k].trimmed();
        if (linea.isEmpty())
            continue;
        const qsizetype igual = linea.lastIndexOf(QLatin1Char('='));
        const QString nodo = igual < 0 ? QString() : linea.left(igual).trimmed();
        const QString cota = igual < 0 ? QString() : linea.mid(igual + 1).trimmed();
        const std::optional<double> z = leerNumero(cota.toStdString(), sep_);
        if (nodo.isEmpty() || !z || !std::isfinite(*z)) {
            error = QStringLiteral("La línea %1 de las cotas fijas, «%2», no es «NODO=COTA» con "
                                   "la cota en metros, como P1=100")
                        .arg(k + 1)
                        .arg(linea) +
                    QLatin1Char(sep_) + QStringLiteral("25.");
            return std::nullopt;
        }
        for (const auto& [otro, valor] : l.fijas) {
            if (otro == nodo.toStdString()) {
                error = QStringLiteral("El nodo «%1» tiene dos cotas fijas: deje una.").arg(nodo);
                return std::nullopt;
            }
        }
        l.fijas.emplace_back(nodo.toStdString(), *z);
    }
    // Without the network, the nodes of the fixed inverts wait for the design to read it.
    diseno::Limites sinFijas = l;
    sinFijas.fijas.clear();
    if (const std::optional<std::string> e =
            modelo_ ? diseno::errorDeLimites(*modelo_, l)
                    : diseno::errorDeLimites(red::ModeloRed{}, sinFijas)) {
        error = QString::fromStdString(*e);
        return std::nullopt;
    }
    return l;
}

void DialogoDiseno::accept() {
    QString error;
    const std::optional<diseno::Limites> l = limites(error);
    if (!l) {
        fallo_->setText(error);
        return;
    }
    fallo_->clear();
    aceptados_ = *l;
    guardarLimites(aceptados_);
    QDialog::accept();
}

} // namespace colvero::ui
