// The general error report of the application object, and the message
// boxes and file dialogs as the program sets them up (built, never run).

#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <stdexcept>

#include "WindowFixture.h"
#include "app/QtDialogs.h"
#include "app/QtFileDialogs.h"
#include "app/WindowLayout.h"
#include "common/VarloError.h"

using varlo::app::testing::App;
using varlo::app::testing::ScriptedDialogs;

class AppDialogsTest : public QObject {
    Q_OBJECT

  private slots:
    // A failing handler shows its text in the error report, the rest of it
    // is skipped, and the next event is handled as usual.
    void failingHandlersReachTheErrorReport() {
        ScriptedDialogs dialogs;
        App().SetErrorReport(&dialogs);
        bool restRan = false;
        int laterTicks = 0;
        QTimer::singleShot(0, [&] {
            throw varlo::InvalidFloatError("1,5");
            restRan = true;
        });
        QTimer::singleShot(0, [] { throw std::runtime_error("disk full"); });
        QTimer later;
        QObject::connect(&later, &QTimer::timeout, [&] { ++laterTicks; });
        later.start(1);
        QTRY_COMPARE(dialogs.Errors().size(), std::size_t{2});
        QTRY_VERIFY(laterTicks > 0);
        App().SetErrorReport(nullptr);
        QCOMPARE(dialogs.Errors(), (std::vector<std::string>{
                                     "'1,5' is not a valid floating point value", "disk full"}));
        QVERIFY(!restRan);
    }

    // An error report that itself fails does not take the program down.
    void aFailingErrorReportIsContained() {
        struct Broken : ScriptedDialogs {
            void ShowError(const std::string&) override { throw std::runtime_error("no box"); }
        } dialogs;
        App().SetErrorReport(&dialogs);
        bool after = false;
        QTimer::singleShot(0, [] { throw varlo::VarloError("first"); });
        QTimer::singleShot(1, [&] { after = true; });
        QTRY_VERIFY(after);
        App().SetErrorReport(nullptr);
    }

    void messageBoxes() {
        varlo::app::QtDialogs dialogs;
        QWidget parent;
        dialogs.SetParent(&parent);
        const auto ask = dialogs.AskBox("Do you want to delete this record?");
        QCOMPARE(ask->icon(), QMessageBox::Information);
        QCOMPARE(ask->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(ask->text(), QStringLiteral("Do you want to delete this record?"));
        QCOMPARE(ask->parentWidget(), &parent);
        const auto inform = dialogs.InformBox("Input error!");
        QCOMPARE(inform->standardButtons(), QMessageBox::Ok);
        QCOMPARE(inform->icon(), QMessageBox::Information);
        const auto system = dialogs.SystemMessageBox("Error", "Failed to Load File!");
        QCOMPARE(system->windowTitle(), QStringLiteral("Error"));
        QCOMPARE(system->icon(), QMessageBox::Critical);
        QCOMPARE(system->standardButtons(), QMessageBox::Ok);
        QCOMPARE(system->parentWidget(), nullptr);
        const auto error = dialogs.ErrorBox("'<b>' is not a valid integer value");
        QCOMPARE(error->icon(), QMessageBox::Critical);
        QCOMPARE(error->standardButtons(), QMessageBox::Ok);
        QCOMPARE(error->textFormat(), Qt::PlainText);
    }

    void nameFilters_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("qt");
        QTest::newRow("picture") << "Bitmaps (*.bmp)|*.bmp" << QStringList{"Bitmaps (*.bmp)"};
        QTest::newRow("open") << "Exel File(*.xls)|*.xls|XML (*.xml)|*.xml|Txt File(*.txt)|*.txt"
                              << QStringList{"Exel File(*.xls)", "XML (*.xml)", "Txt File(*.txt)"};
        QTest::newRow("bare description") << "Tables|*.xls" << QStringList{"Tables (*.xls)"};
    }

    void nameFilters() {
        QFETCH(QString, filter);
        QFETCH(QStringList, qt);
        QCOMPARE(varlo::app::QtNameFilters(filter.toStdString()), qt);
    }

    void fileDialogs() {
        varlo::app::QtFileDialogs files;
        const auto open = files.Make(varlo::app::OpenDialog1());
        QCOMPARE(open->acceptMode(), QFileDialog::AcceptOpen);
        QCOMPARE(open->fileMode(), QFileDialog::ExistingFile);
        QCOMPARE(open->nameFilters().size(), 3);
        QCOMPARE(open->defaultSuffix(), QString());

        const auto save = files.Make(varlo::app::SaveDialog2());
        QCOMPARE(save->acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(save->defaultSuffix(), QStringLiteral("xls"));
        QVERIFY(!save->testOption(QFileDialog::DontConfirmOverwrite));
        QCOMPARE(save->nameFilters(),
                 (QStringList{"Excel File(*.xls)", "XML(*.xml)", "Txt File(*.txt)"}));
        // Picking the XML filter makes a bare name an .xml file.
        auto* types = save->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        QVERIFY(types != nullptr);
        types->setCurrentIndex(1);
        emit types->textActivated(types->itemText(1));  // as the user picks it
        QCOMPARE(save->defaultSuffix(), QStringLiteral("xml"));

        const auto picture = files.Make(varlo::app::SavePictureDialog1());
        QCOMPARE(picture->acceptMode(), QFileDialog::AcceptSave);
        QVERIFY(!picture->testOption(QFileDialog::DontConfirmOverwrite));
        QCOMPARE(picture->nameFilters(), QStringList{"Bitmaps (*.bmp)"});
    }
};

VARLO_APP_TEST_MAIN(AppDialogsTest)
#include "AppDialogsTest.moc"
