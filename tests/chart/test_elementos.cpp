#include "chart/elementos.h"
#include "hydraulics/aritmetica.h"
#include "hydraulics/estado_flujo.h"

#include <QTest>

#include <cmath>
#include <numbers>

using namespace colvero::grafico;

namespace {

// Independent closed forms of the circular section, with the true π.
Relaciones formaCerrada(double f) {
    const double dosPi = 2 * std::numbers::pi;
    const double teta = 2 * std::acos(1 - 2 * f);
    const double aRel = (teta - std::sin(teta)) / dosPi;
    const double pRel = teta / dosPi;
    const double vRel = std::cbrt((aRel / pRel) * (aRel / pRel));
    return {aRel * vRel, vRel};
}

bool cerca(double a, double b, double tolerancia) {
    return std::abs(a - b) <= tolerancia * std::max(1.0, std::abs(b));
}

} // namespace

class TestElementos : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void relacionesComoLaFormaCerrada_data() {
        QTest::addColumn<double>("yD");
        QTest::newRow("casi vacía 0,001") << 0.001;
        QTest::newRow("un quinto") << 0.2;
        QTest::newRow("media sección") << 0.5;
        QTest::newRow("máximo de velocidad 0,8128") << 0.8128;
        QTest::newRow("máximo de caudal 0,9382") << 0.9382;
        QTest::newRow("casi llena 0,999") << 0.999;
    }
    void relacionesComoLaFormaCerrada() {
        QFETCH(double, yD);
        const Relaciones r = relacionesParciales(yD);
        const Relaciones c = formaCerrada(yD);
        QVERIFY2(cerca(r.qQll, c.qQll, 1e-9), qPrintable(QString::number(r.qQll, 'g', 17)));
        QVERIFY2(cerca(r.vVll, c.vVll, 1e-9), qPrintable(QString::number(r.vVll, 'g', 17)));
    }

    void extremosExactos() {
        QCOMPARE(relacionesParciales(0.0).qQll, 0.0);
        QCOMPARE(relacionesParciales(0.0).vVll, 0.0);
        QCOMPARE(relacionesParciales(1.0).qQll, 1.0);
        QCOMPARE(relacionesParciales(1.0).vVll, 1.0);
    }

    void llenadoFueraDeRangoEsUnError_data() {
        QTest::addColumn<double>("yD");
        QTest::newRow("negativo") << -0.01;
        QTest::newRow("más que lleno") << 1.0000001;
        QTest::newRow("NaN") << std::nan("");
        QTest::newRow("infinito") << HUGE_VAL;
    }
    void llenadoFueraDeRangoEsUnError() {
        QFETCH(double, yD);
        QVERIFY_THROWS_EXCEPTION(colvero::hidraulica::ErrorAritmetico, relacionesParciales(yD));
    }

    // The published maxima of the circular section, to four digits.
    void maximosPublicados() {
        const Maximo q = maximoCaudal();
        QVERIFY2(std::abs(q.valor - 1.0757) < 5e-5, qPrintable(QString::number(q.valor, 'g', 10)));
        QVERIFY2(std::abs(q.yD - 0.9382) < 5e-5, qPrintable(QString::number(q.yD, 'g', 10)));
        const Maximo v = maximoVelocidad();
        QVERIFY2(std::abs(v.valor - 1.1400) < 5e-5, qPrintable(QString::number(v.valor, 'g', 10)));
        QVERIFY2(std::abs(v.yD - 0.8128) < 5e-5, qPrintable(QString::number(v.yD, 'g', 10)));
        // Golden section: about 1.44 calls per halving of the bracket of 0.5.
        QVERIFY(q.evaluaciones <= 50);
        QVERIFY(v.evaluaciones <= 50);
        // A true maximum: both neighbours lower.
        for (const double paso : {-1e-4, 1e-4}) {
            QVERIFY(relacionesParciales(q.yD + paso).qQll < q.valor);
            QVERIFY(relacionesParciales(v.yD + paso).vVll < v.valor);
        }
    }

    void inicioDeLaZonaDeDosCalados() {
        const double y = llenadoDeCaudalLleno();
        QVERIFY(cerca(relacionesParciales(y).qQll, 1.0, 1e-10));
        QVERIFY(y > 0.8 && y < maximoCaudal().yD);
        // Below it every flow has a single depth: Q/Qll stays under 1.
        QVERIFY(relacionesParciales(y - 1e-3).qQll < 1.0);
    }

    // No corner visible: consecutive segments of each curve, in the chart's proportions
    // (ratios over 1.2 across, y/D over 1 upwards), turn by less than a few degrees.
    void curvaSuaveYOrdenada() {
        const std::vector<PuntoCurva> curva = curvaElementos(401);
        QCOMPARE(curva.size(), std::size_t(401));
        QCOMPARE(curva.front().yD, 0.0);
        QCOMPARE(curva.back().yD, 1.0);
        QCOMPARE(curva.back().qQll, 1.0);
        double giroMaximo = 0;
        for (std::size_t k = 1; k < curva.size(); ++k) {
            QVERIFY(curva[k].yD > curva[k - 1].yD);
            if (k + 1 == curva.size()) {
                break;
            }
            for (const auto campo : {&PuntoCurva::qQll, &PuntoCurva::vVll}) {
                const double a = std::atan2(curva[k].yD - curva[k - 1].yD,
                                            (curva[k].*campo - curva[k - 1].*campo) / 1.2);
                const double b = std::atan2(curva[k + 1].yD - curva[k].yD,
                                            (curva[k + 1].*campo - curva[k].*campo) / 1.2);
                double giro = std::abs(b - a);
                giro = std::min(giro, 2 * std::numbers::pi - giro);
                giroMaximo = std::max(giroMaximo, giro);
            }
        }
        QVERIFY2(giroMaximo * 180 / std::numbers::pi < 3.0,
                 qPrintable(QString::number(giroMaximo * 180 / std::numbers::pi)));
    }

    // The full section of the collector against the flow state of a normal depth: the design
    // point of a flow lies on the curve.
    void puntoDeUnEstadoSobreLaCurva_data() {
        QTest::addColumn<double>("Q");
        QTest::newRow("Q = 0,05 m3/s") << 0.05;
        QTest::newRow("Q = 1 m3/s") << 1.0;
        QTest::newRow("Q = 1,75 m3/s, dos calados") << 1.75;
    }
    void puntoDeUnEstadoSobreLaCurva() {
        QFETCH(double, Q);
        const SeccionLlena llena = seccionLlena(1.0, 0.013, 0.005);
        // Manning at Rh = D/4 over the whole area.
        const double vll = std::cbrt(0.25 * 0.25) * std::sqrt(0.005) / 0.013;
        QVERIFY(cerca(llena.v, vll, 1e-12));
        QVERIFY(cerca(llena.Q, vll * std::numbers::pi / 4, 1e-12));
        colvero::hidraulica::EstadoFlujo e;
        e.Q = Q;
        e.D = 1.0;
        e.n = 0.013;
        e.i = 0.005;
        colvero::hidraulica::TEO4(e);
        const Relaciones r = relacionesParciales(e.yD / 100.0);
        QVERIFY(cerca(e.Q / llena.Q, r.qQll, 1e-8));
        QVERIFY(cerca(e.v / llena.v, r.vVll, 1e-8));
    }
};

QTEST_GUILESS_MAIN(TestElementos)
#include "test_elementos.moc"
