#include "ui/preferencias.h"

#include "ui/recientes.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace colvero::ui {
namespace {

constexpr const char* kAutor = "nota/autor";
constexpr const char* kProyecto = "nota/proyecto";

QString unaLinea(const QString& texto) {
    return texto.simplified();
}

} // namespace

Preferencias leerPreferencias() {
    QSettings a = ajustesDelPrograma();
    return {unaLinea(a.value(QLatin1String(kAutor)).toString()),
            unaLinea(a.value(QLatin1String(kProyecto)).toString())};
}

void guardarPreferencias(const Preferencias& preferencias) {
    QSettings a = ajustesDelPrograma();
    a.setValue(QLatin1String(kAutor), unaLinea(preferencias.autor));
    a.setValue(QLatin1String(kProyecto), unaLinea(preferencias.proyecto));
}

DialogoPreferencias::DialogoPreferencias(QWidget* padre) : QDialog(padre) {
    setObjectName(QStringLiteral("Preferencias"));
    setWindowTitle(QStringLiteral("Preferencias"));
    const Preferencias actuales = leerPreferencias();
    autor_ = new QLineEdit(actuales.autor, this);
    autor_->setObjectName(QStringLiteral("Autor"));
    proyecto_ = new QLineEdit(actuales.proyecto, this);
    proyecto_->setObjectName(QStringLiteral("Proyecto"));
    for (QLineEdit* caja : {autor_, proyecto_}) {
        caja->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48);
        caja->setClearButtonEnabled(true);
    }
    auto* explicacion =
        new QLabel(QStringLiteral("Encabezan la nota de cálculo que se guarda desde la ventana "
                                  "del gráfico."),
                   this);
    explicacion->setWordWrap(true);
    auto* formulario = new QFormLayout;
    formulario->addRow(QStringLiteral("&Autor:"), autor_);
    formulario->addRow(QStringLiteral("&Proyecto:"), proyecto_);
    auto* botones = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    botones->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Aceptar"));
    botones->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
    connect(botones, &QDialogButtonBox::accepted, this, &DialogoPreferencias::accept);
    connect(botones, &QDialogButtonBox::rejected, this, &DialogoPreferencias::reject);
    auto* columna = new QVBoxLayout(this);
    columna->addWidget(explicacion);
    columna->addLayout(formulario);
    columna->addWidget(botones);
}

Preferencias DialogoPreferencias::preferencias() const {
    return {autor_->text(), proyecto_->text()};
}

void DialogoPreferencias::accept() {
    guardarPreferencias(preferencias());
    QDialog::accept();
}

} // namespace colvero::ui
