// Renders the display replica for a tour of readings to PNG files under the
// build folder (lcd-shots/NAME-1x.png and NAME-2x.png), for looking at, and
// checks that every picture was written and that the replica draws the same
// at a device pixel ratio of 2 as at 1.
#include <QDir>
#include <QtTest>

#include "LcdMeter.h"
#include "app/LcdReplica.h"

using varlo::LcdFlag;
using varlo::LcdPanel;
using varlo::app::LcdReplica;
using varlo::test::LcdMeter;

namespace {

struct Shot {
    const char* name;
    const char* frame;
    std::vector<LcdFlag> alsoLit;  // elements this decoder never lights
};

const std::vector<Shot> kShots = {
    {"overload-ohm", "A000000310000D", {}},
    {"negative-dc-volts", "A112345B40080D", {}},
    {"ac-volts-auto", "A112345B00060D", {}},
    {"kilo-ohm", "A112345300020D", {}},
    {"micro-amps", "A101234D00080D", {}},
    {"diode", "A005123100000D", {}},
    {"continuity", "A000012500000D", {}},
    {"temperature", "A000235400000D", {}},
    {"hertz-auto", "A005000200020D", {}},
    {"kilohertz", "A301234200000D", {}},
    {"duty", "A300500280000D", {}},
    {"hold-rel-battery", "A112345B22082D", {}},
    {"max-min", "A212345B00080D", {LcdFlag::Labmax, LcdFlag::Labmin}},
    {"manual-dc-volts", "A100123B00080D", {}},
    {"nanofarad", "A004700600000D", {}},
    {"ac-and-dc", "A112345B000C0D", {}},
    {"everything-lit", "A388888300000D", {}},
};

double MeanDifference(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            sum += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
        }
    }
    return sum / (a.width() * a.height());
}

}  // namespace

class LcdShotsTest : public QObject {
    Q_OBJECT

  private slots:
    void rendersTheTourAtOneAndTwoTimes() {
        const QString folder = QStringLiteral(VARLO_BIN_DIR "/lcd-shots");
        QVERIFY(QDir().mkpath(folder));
        for (const Shot& shot : kShots) {
            LcdMeter meter;
            LcdPanel panel = meter.Decode(shot.frame);
            if (QByteArray(shot.name) == "everything-lit") {
                for (std::size_t i = 0; i < varlo::kLcdFlagCount; ++i) {
                    panel.Light(static_cast<LcdFlag>(i));
                }
            }
            for (const LcdFlag flag : shot.alsoLit) {
                panel.Light(flag);
            }
            LcdReplica replica;
            replica.ShowPanel(panel);

            QImage images[2];
            for (const int scale : {1, 2}) {
                QImage& image = images[scale - 1];
                image = QImage(replica.size() * scale, QImage::Format_ARGB32);
                image.setDevicePixelRatio(scale);
                image.fill(Qt::white);
                replica.render(&image);
                const QString path = QString("%1/%2-%3x.png").arg(folder, shot.name).arg(scale);
                QVERIFY2(image.save(path), qPrintable(path));
            }
            const QImage halved =
                images[1].scaled(replica.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            const double difference =
                MeanDifference(images[0].convertToFormat(halved.format()), halved);
            qInfo("%s: 1x against 2x halved, mean difference %.2f grey levels", shot.name,
                  difference);
            QVERIFY2(difference < 6.0, qPrintable(QString("%1: 1x and 2x differ by %2 grey levels")
                                                      .arg(shot.name)
                                                      .arg(difference)));
        }
    }
};

QTEST_MAIN(LcdShotsTest)
#include "LcdShotsTest.moc"
