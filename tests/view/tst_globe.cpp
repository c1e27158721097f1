// The globe's mesh and the drawn Earth picture used without imagery.

#include "standin/view/globe.h"
#include "tests/view/viewtest.h"

#include <QtTest>

#include <cmath>

using namespace zep;
using namespace zep::view;
using astro::Vec3;

using namespace viewtest;

class TstGlobe : public QObject {
    Q_OBJECT
private slots:
    void sphereIsUnitClosedFacesOutAndMapsTheGlobe()
    {
        const SphereMesh m = makeSphere(16, 32);
        const size_t count = m.vertices.size() / 5;
        QCOMPARE(count, size_t(17 * 33));
        QCOMPARE(m.indices.size(), size_t(16 * 32 * 6));
        auto pos = [&](std::uint32_t i) { return Vec3{m.vertices[i * 5], m.vertices[i * 5 + 1], m.vertices[i * 5 + 2]}; };
        // An equirectangular picture: u from 180 W eastwards, v from the north pole.
        for (size_t i = 0; i < count; ++i) {
            const Vec3 p = pos(std::uint32_t(i));
            QVERIFY(std::abs(norm(p) - 1) < 1e-6);
            const double u = m.vertices[i * 5 + 3], v = m.vertices[i * 5 + 4];
            QVERIFY(u >= 0 && u <= 1 && v >= 0 && v <= 1);
            QVERIFY2(std::abs(std::asin(std::clamp(p.z, -1.0, 1.0)) / kDeg - (90 - 180 * v)) < 1e-3, "latitude");
            if (std::abs(p.z) < 0.999)
                QVERIFY2(std::abs(std::remainder(std::atan2(p.y, p.x) / kDeg - (360 * u - 180), 360.0)) < 1e-3, "longitude");
        }
        int outward = 0, degenerate = 0;
        for (size_t t = 0; t < m.indices.size(); t += 3) {
            for (int k = 0; k < 3; ++k)
                QVERIFY(m.indices[t + k] < count);
            const Vec3 a = pos(m.indices[t]), b = pos(m.indices[t + 1]), c = pos(m.indices[t + 2]);
            const Vec3 n = cross(b - a, c - a);
            if (norm(n) < 1e-9)
                ++degenerate;  // the slivers at the poles
            else if (dot(n, a + b + c) > 0)
                ++outward;
        }
        QCOMPARE(outward + degenerate, int(m.indices.size() / 3));
        QVERIFY(degenerate <= 2 * 32);
    }

    // Every ray a pixel casts at the sphere must pass through the drawn
    // mesh first, and the mesh should not be much bigger than the sphere.
    void scaledMeshHoldsTheSphere_data()
    {
        QTest::addColumn<int>("slices");
        QTest::newRow("coarse") << 8;
        QTest::newRow("drawn") << kGlobeSlices;
        QTest::newRow("fine") << 96;
    }

    void scaledMeshHoldsTheSphere()
    {
        QFETCH(int, slices);
        const SphereMesh m = makeSphere(slices / 2, slices);
        const double scale = enclosingScale(m);
        const auto pos = [&](std::uint32_t i) {
            return scale * Vec3{m.vertices[i * 5], m.vertices[i * 5 + 1], m.vertices[i * 5 + 2]};
        };
        // Where a ray from the centre leaves the convex mesh: the nearest of
        // the face planes it heads towards.
        const auto exit = [&](const Vec3 &dir) {
            double t = 1e9;
            for (size_t k = 0; k + 2 < m.indices.size(); k += 3) {
                const Vec3 a = pos(m.indices[k]);
                const Vec3 n = cross(pos(m.indices[k + 1]) - a, pos(m.indices[k + 2]) - a);
                if (norm(n) > 1e-12 && dot(n, dir) > 0)
                    t = std::min(t, dot(n, a) / dot(n, dir));
            }
            return t;
        };
        const double loose = 1 / std::pow(std::cos(astro::kPi / slices), 2) + 0.002;
        for (int lat = -89; lat <= 89; lat += 7) {
            for (int lon = -180; lon < 180; lon += 5) {
                const double phi = lat * astro::kPi / 180, lambda = (lon + 0.37) * astro::kPi / 180;
                const double t = exit({std::cos(phi) * std::cos(lambda), std::cos(phi) * std::sin(lambda), std::sin(phi)});
                QVERIFY2(t >= 1 && t < loose, qPrintable(QStringLiteral("lat %1 lon %2: %3").arg(lat).arg(lon).arg(t)));
            }
        }
    }

    void proceduralGlobeHasIceAndOcean()
    {
        const QImage img = proceduralGlobe(256, 128);
        QCOMPARE(img.size(), QSize(256, 128));
        const QColor pole = img.pixelColor(10, 0), equator = img.pixelColor(100, 64);
        QVERIFY(pole.lightness() > 200);
        QVERIFY(equator.blue() > equator.red() + 60 && equator.blue() > equator.green());
        // The same all round the globe: no seam at 180 degrees.
        QCOMPARE(img.pixelColor(0, 40), img.pixelColor(255, 40));
    }
};

QTEST_APPLESS_MAIN(TstGlobe)
#include "tst_globe.moc"
