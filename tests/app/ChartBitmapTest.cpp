// Saving the chart as a Windows bitmap: the file name it gets, the file
// written, and a file that cannot be written.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include "app/ChartBitmap.h"
#include "app/ChartView.h"
#include "chart/TChartControl.h"
#include "chart/TrendChartModel.h"
#include "common/VarloError.h"

using varlo::TChartControl;
using varlo::TrendChartModel;
using varlo::app::ChartView;
using varlo::app::SaveChartBitmap;

class ChartBitmapTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void NamesTheFileWithTheBitmapExtension_data();
    void NamesTheFileWithTheBitmapExtension();
    void WritesTheChartAtItsSizeOverAnOldFile();
    void AFileThatCannotBeWrittenIsAnError();

  private:
    // A chart of 50 readings and an empty folder, new for every test.
    struct Chart {
        TrendChartModel model;
        TChartControl control{model, 100};
        ChartView view{model};
    };
    std::unique_ptr<Chart> chart_;
    ChartView* view_ = nullptr;
    std::unique_ptr<QTemporaryDir> dir_;
};

void ChartBitmapTest::init() {
    chart_ = std::make_unique<Chart>();
    chart_->control.SetYMax(22);
    chart_->control.SetYMin(-22);
    for (int i = 0; i < 50; ++i) chart_->control.AddValue(i % 10 - 5.0);
    chart_->view.Refresh();
    view_ = &chart_->view;
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

void ChartBitmapTest::NamesTheFileWithTheBitmapExtension_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::newRow("none") << "trend"
                          << "trend.bmp";
    QTest::newRow("other") << "trend.png"
                           << "trend.bmp";
    QTest::newRow("upper case") << "trend.BMP"
                                << "trend.bmp";
    QTest::newRow("exact") << "trend.bmp"
                           << "trend.bmp";
    QTest::newRow("trailing dot") << "trend."
                                  << "trend.bmp";
    QTest::newRow("only the last") << "trend.bmp.png"
                                   << "trend.bmp.bmp";
    QTest::newRow("hidden file") << ".trend"
                                 << ".trend.bmp";
    QTest::newRow("dot in a folder") << "run.1/trend"
                                     << "run.1/trend.bmp";
}

void ChartBitmapTest::NamesTheFileWithTheBitmapExtension() {
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("run.1")));
    const QString base = dir_->path() + QLatin1Char('/');
    const std::string path = SaveChartBitmap(*view_, (base + chosen).toStdString());
    QCOMPARE(QString::fromStdString(path), base + written);
    QVERIFY(QFile::exists(base + written));
    // Nothing else was written beside it.
    const QFileInfo info(base + written);
    QCOMPARE(info.dir().entryList(QDir::Files | QDir::Hidden).size(), 1);
}

void ChartBitmapTest::WritesTheChartAtItsSizeOverAnOldFile() {
    const QString path = dir_->filePath(QStringLiteral("trend.bmp"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'x'));
    }
    view_->resize(300, 200);
    SaveChartBitmap(*view_, path.toStdString());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.read(2), QByteArray("BM"));
    file.close();
    const QImage image(path, "BMP");
    QCOMPARE(image.size(), QSize(300, 200));
}

void ChartBitmapTest::AFileThatCannotBeWrittenIsAnError() {
    struct Case {
        QString path;
        const char* reason;
    };
    const QString folder = dir_->filePath(QStringLiteral("folder.bmp"));
    QVERIFY(QDir().mkdir(folder));
    for (const Case& c :
         {Case{dir_->filePath(QStringLiteral("missing/trend")), "The folder does not exist."},
          Case{folder, "It is a folder."}}) {
        const std::string expectedPath = c.path.endsWith(QLatin1String(".bmp"))
                                             ? c.path.toStdString()
                                             : c.path.toStdString() + ".bmp";
        try {
            SaveChartBitmap(*view_, c.path.toStdString());
            QFAIL(qPrintable(c.path + QStringLiteral(" was reported as saved")));
        } catch (const varlo::VarloError& e) {
            QCOMPARE(
                QString::fromUtf8(e.what()),
                QString::fromStdString("Cannot create file \"" + expectedPath + "\". " + c.reason));
        }
    }
    QVERIFY(QFileInfo(folder).isDir());
    QVERIFY(!QFileInfo::exists(dir_->filePath(QStringLiteral("missing"))));
}

QTEST_MAIN(ChartBitmapTest)
#include "ChartBitmapTest.moc"
