// The program itself, started as a user starts it: with
// VARLO_REPORT_FIRST_PAINT set it paints its window, writes the time of that
// first paint on the monotonic clock to standard error, and quits by itself.

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTest>
#include <chrono>

class ProgramFirstPaintTest : public QObject {
    Q_OBJECT

  private slots:
    void reportsItsFirstPaintAndQuits() {
        QProcess program;
        program.setProgram(QStringLiteral(VARLO_BIN_DIR "/src/app/program/varlo"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VARLO_REPORT_FIRST_PAINT", "1");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("PULSE_SERVER", "unix:/nonexistent/varlo-no-sound-server");
        program.setProcessEnvironment(env);
        const auto before = std::chrono::steady_clock::now().time_since_epoch();
        program.start();
        QVERIFY(program.waitForFinished(60000));
        const auto after = std::chrono::steady_clock::now().time_since_epoch();
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);

        const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
        auto lines =
            QRegularExpression(QStringLiteral("(?m)^first paint (\\d+)$")).globalMatch(errors);
        QVERIFY2(lines.hasNext(), qPrintable(errors));
        const qint64 painted = lines.next().captured(1).toLongLong();
        QVERIFY2(!lines.hasNext(), qPrintable(errors));  // once
        using std::chrono::nanoseconds;
        QVERIFY(painted > std::chrono::duration_cast<nanoseconds>(before).count());
        QVERIFY(painted < std::chrono::duration_cast<nanoseconds>(after).count());
    }
};

QTEST_GUILESS_MAIN(ProgramFirstPaintTest)
#include "ProgramFirstPaintTest.moc"
