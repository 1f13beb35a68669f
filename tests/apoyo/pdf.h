#pragma once
// What the tests of the drawings and notes share: bytes written into a temporary folder, and
// the PDFs read back through poppler-utils (pdftotext, pdfinfo, pdffonts). No test framework
// here: each test decides how to fail or skip on a null answer.
#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace colvero::prueba {

// `bytes` written whole as `nombre` in `dir`: its path, or a null string when it cannot be.
inline QString escribirEn(const QTemporaryDir& dir, const QString& nombre,
                          const QByteArray& bytes) {
    const QString ruta = dir.filePath(nombre);
    QFile f(ruta);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.flush())
        return {};
    return ruta;
}

// The standard output of a poppler-utils program; a null string when it is not installed or
// does not end within a minute.
inline QString salidaPoppler(const QString& programa, const QStringList& argumentos) {
    const QString ruta = QStandardPaths::findExecutable(programa);
    if (ruta.isEmpty())
        return {};
    QProcess proceso;
    proceso.start(ruta, argumentos);
    if (!proceso.waitForFinished(60000))
        return {};
    return QString::fromUtf8(proceso.readAllStandardOutput());
}

// The text of `pdf`, or of its page `pagina` (from 1) alone, as pdftotext lays it out.
inline QString textoPdf(const QString& pdf, int pagina = 0) {
    QStringList argumentos;
    if (pagina > 0)
        argumentos << QStringLiteral("-f") << QString::number(pagina) << QStringLiteral("-l")
                   << QString::number(pagina);
    return salidaPoppler(QStringLiteral("pdftotext"), argumentos << pdf << QStringLiteral("-"));
}

// The number of pages pdfinfo reads; -1 when it cannot.
inline int paginasPdf(const QString& pdf) {
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                                          .match(salidaPoppler(QStringLiteral("pdfinfo"), {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

} // namespace colvero::prueba
