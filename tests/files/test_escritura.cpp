#include "files/archivos.h"
#include "files/escritura.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace colvero {
namespace {

using Temporal = EscrituraAtomica::Temporal;

std::string mensajeDe(const std::function<void()>& f) {
    try {
        f();
    } catch (const ErrorArchivo& e) {
        return e.what();
    }
    return "(sin error)";
}

QByteArray contenido(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(no se abre)");
}

void escribirContenido(const QString& ruta, const QByteArray& bytes) {
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QStringList archivos(const QTemporaryDir& dir) {
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// ---- A process that ends while it writes ----------------------------------------------------

struct Interrupcion {
    const char* nombre;
    Temporal temporal;
    int senal;
    bool habiaArchivo;
};

void PrintTo(const Interrupcion& v, std::ostream* os) {
    *os << v.nombre;
}

class EscrituraInterrumpida : public testing::TestWithParam<Interrupcion> {};

// A child starts writing a megabyte to r.csv and says so; it is then ended by the signal (a
// closed pipe for SIGPIPE). Nothing but the earlier r.csv, untouched, may be left.
TEST_P(EscrituraInterrumpida, LeavesNoFileButTheTarget) {
    const Interrupcion& caso = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString ruta = dir.filePath("r.csv");
    if (caso.habiaArchivo)
        escribirContenido(ruta, "antes\n");
    int aviso[2];
    int tubo[2];
    ASSERT_EQ(::pipe(aviso), 0);
    ASSERT_EQ(::pipe(tubo), 0);
    const pid_t hijo = ::fork();
    ASSERT_GE(hijo, 0);
    if (hijo == 0) {
        ::close(aviso[0]);
        ::close(tubo[0]);
        try {
            EscrituraAtomica e(QFile::encodeName(ruta), ruta, caso.temporal);
            e.escribir(std::string(size_t{1} << 20, 'x'));
            (void)!::write(aviso[1], "1", 1);
            for (;;) {
                if (caso.senal == SIGPIPE)
                    (void)!::write(tubo[1], "x", 1);
                ::usleep(1000);
            }
        } catch (...) {
        }
        ::_exit(3);
    }
    ::close(aviso[1]);
    ::close(tubo[1]);
    char b = 0;
    ASSERT_EQ(::read(aviso[0], &b, 1), 1) << "el hijo no llegó a escribir";
    ::close(aviso[0]);
    // While it writes, the temporary has a name only when asked for one.
    EXPECT_EQ(archivos(dir).size(),
              (caso.habiaArchivo ? 1 : 0) + (caso.temporal == Temporal::ConNombre ? 1 : 0))
        << archivos(dir).join(' ').toStdString();
    if (caso.senal == SIGPIPE)
        ::close(tubo[0]);
    else
        ::kill(hijo, caso.senal);
    int estado = 0;
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (::waitpid(hijo, &estado, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > limite) {
            ::kill(hijo, SIGKILL);
            ::waitpid(hijo, &estado, 0);
            FAIL() << "el hijo siguió vivo tras la señal";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (caso.senal != SIGPIPE)
        ::close(tubo[0]);
    // The process ends by the signal itself, as it would without the clean-up.
    ASSERT_TRUE(WIFSIGNALED(estado)) << estado;
    EXPECT_EQ(WTERMSIG(estado), caso.senal);
    if (caso.habiaArchivo) {
        EXPECT_EQ(archivos(dir), QStringList{"r.csv"});
        EXPECT_EQ(contenido(ruta), "antes\n");
    } else {
        EXPECT_EQ(archivos(dir), QStringList{});
    }
}

INSTANTIATE_TEST_SUITE_P(
    , EscrituraInterrumpida,
    testing::Values(
        Interrupcion{"SinNombreSigkill", Temporal::SinNombre, SIGKILL, true},
        Interrupcion{"SinNombreSigkillSinArchivoPrevio", Temporal::SinNombre, SIGKILL, false},
        Interrupcion{"SinNombreSigterm", Temporal::SinNombre, SIGTERM, true},
        Interrupcion{"SinNombreTuberiaCerrada", Temporal::SinNombre, SIGPIPE, true},
        Interrupcion{"ConNombreSigterm", Temporal::ConNombre, SIGTERM, true},
        Interrupcion{"ConNombreSigint", Temporal::ConNombre, SIGINT, true},
        Interrupcion{"ConNombreSighup", Temporal::ConNombre, SIGHUP, true},
        Interrupcion{"ConNombreTuberiaCerrada", Temporal::ConNombre, SIGPIPE, true},
        Interrupcion{"ConNombreSigtermSinArchivoPrevio", Temporal::ConNombre, SIGTERM, false}),
    [](const testing::TestParamInfo<Interrupcion>& i) { return std::string(i.param.nombre); });

// ---- Both kinds of temporary keep the writer's promises --------------------------------------

class EscrituraTemporal : public testing::TestWithParam<Temporal> {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString ruta(const QString& nombre) const { return dir.filePath(nombre); }
    void guardar(const QString& r, std::string_view bytes) {
        EscrituraAtomica e(QFile::encodeName(r), r, GetParam());
        e.escribir(bytes.substr(0, bytes.size() / 2));
        e.escribir(bytes.substr(bytes.size() / 2));
        e.confirmar();
    }
    QTemporaryDir dir;
};

TEST_P(EscrituraTemporal, ReplacesTheTargetKeepingItsPermissions) {
    const QString r = ruta("r.csv");
    escribirContenido(r, "antes");
    ASSERT_EQ(::chmod(QFile::encodeName(r).constData(), 0640), 0);
    guardar(r, "despues");
    EXPECT_EQ(contenido(r), "despues");
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(r).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(archivos(dir), QStringList{"r.csv"});
}

TEST_P(EscrituraTemporal, UnconfirmedWriteLeavesNothing) {
    const QString r = ruta("r.csv");
    {
        EscrituraAtomica e(QFile::encodeName(r), r, GetParam());
        e.escribir("a medias");
    }
    EXPECT_EQ(archivos(dir), QStringList{});
}

// A dangling link is not replaced by a file: the file it names is created, through a chain of
// links too, and relative links count from their own folder.
TEST_P(EscrituraTemporal, DanglingLinkGetsItsFileCreated) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("datos"));
    const QByteArray enlace = QFile::encodeName(ruta("salida.csv"));
    ASSERT_EQ(::symlink("datos/medio.csv", enlace.constData()), 0);
    ASSERT_EQ(::symlink("final.csv", QFile::encodeName(ruta("datos/medio.csv")).constData()), 0);
    guardar(ruta("salida.csv"), "tabla");
    EXPECT_TRUE(QFileInfo(ruta("salida.csv")).isSymLink());
    EXPECT_TRUE(QFileInfo(ruta("datos/medio.csv")).isSymLink());
    EXPECT_EQ(contenido(ruta("datos/final.csv")), "tabla");
    EXPECT_EQ(QDir(dir.path() + "/datos").entryList(QDir::Files | QDir::System),
              (QStringList{"final.csv", "medio.csv"}));
}

TEST_P(EscrituraTemporal, DanglingLinkIntoAMissingFolderIsRefused) {
    const QString roto = ruta("roto.csv");
    ASSERT_EQ(::symlink("no-existe/r.csv", QFile::encodeName(roto).constData()), 0);
    EXPECT_EQ(mensajeDe([&] { guardar(roto, "x"); }),
              "No se puede crear el archivo «" + roto.toStdString() + "»: la carpeta no existe.");
    EXPECT_EQ(archivos(dir), QStringList{"roto.csv"});
}

INSTANTIATE_TEST_SUITE_P(, EscrituraTemporal,
                         testing::Values(Temporal::SinNombre, Temporal::ConNombre),
                         [](const testing::TestParamInfo<Temporal>& i) {
                             return i.param == Temporal::SinNombre ? "SinNombre" : "ConNombre";
                         });

TEST(EscrituraNombre, EmptyNameIsSaidToBeEmpty) {
    EXPECT_EQ(mensajeDe([] { escribirAtomicamente(QByteArray(), QString(), "x"); }),
              "No se puede guardar el archivo: el nombre está vacío.");
    EXPECT_EQ(mensajeDe([] { leerCriterio(QByteArray(), '.'); }),
              "No se puede abrir el archivo: el nombre está vacío.");
}

} // namespace
} // namespace colvero
