#pragma once
// Runs colvero-check (COLVERO_CHECK) under the C locale, as the tests of the network check do,
// and reads what it prints.
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace colvero::prueba {

struct Ejecucion {
    int codigo = -1;
    QByteArray salida;
    QByteArray errores;
};

inline Ejecucion ejecutar(const QStringList& argumentos) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("LC_NUMERIC");
    env.remove("LANG");
    env.insert("LC_ALL", "C");
    p.setProcessEnvironment(env);
    p.start(COLVERO_CHECK, argumentos);
    EXPECT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}

// The JSON records of --json, one a line.
inline std::vector<QJsonObject> objetos(const QByteArray& salida) {
    std::vector<QJsonObject> v;
    for (const QByteArray& linea : salida.split('\n')) {
        if (linea.isEmpty())
            continue;
        QJsonParseError error;
        v.push_back(QJsonDocument::fromJson(linea, &error).object());
        EXPECT_EQ(error.error, QJsonParseError::NoError) << linea.toStdString();
    }
    return v;
}

inline QString escribir(const QTemporaryDir& dir, const QString& nombre, const QByteArray& bytes) {
    const QString ruta = dir.filePath(nombre);
    QFile f(ruta);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return ruta;
}

} // namespace colvero::prueba
