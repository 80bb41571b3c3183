// One line edit bound to its EditBox model: keys go through the model's
// key filter and change check, and the widget shows only the model.

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>

#include "WindowFixture.h"
#include "app/EditBinding.h"
#include "recording/EditBox.h"
#include "recording/Limits.h"

using varlo::EditBox;
using varlo::app::EditBinding;

namespace {

// A judge-limit edit: the key filter and text check of T1HI with "." as the
// decimal separator.
struct JudgeEdit {
    explicit JudgeEdit(const QString& text) : model(text.toStdString()) {
        model.SetKeyFilter([](char32_t key) { return varlo::T1HIKeyPress(key, "."); });
        model.SetOnChange([](EditBox& edit) { varlo::T1HIChange(edit, varlo::LocaleFormat{}); });
    }
    EditBox model;
    QLineEdit widget;
    EditBinding binding{widget, model};
};

QString ModelText(const EditBox& model) {
    return QString::fromStdString(model.Text());
}

}  // namespace

class AppEditBindingTest : public QObject {
    Q_OBJECT

  private slots:
    // Each row: the text at start, the selection made in the widget (start,
    // length; length 0 places the caret), the keys typed, and the text and
    // selected text both the model and the widget then hold.
    void typing_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selLength");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("selected");
        QTest::newRow("digit at the caret") << "22000" << 2 << 0 << "5"
                                            << "225000"
                                            << "";
        QTest::newRow("refused keys are eaten") << "22000" << 5 << 0 << "a+ x"
                                                << "22000"
                                                << "";
        QTest::newRow("digit replaces the selection") << "22000" << 1 << 3 << "7"
                                                      << "270"
                                                      << "";
        QTest::newRow("lone minus becomes -0") << "" << 0 << 0 << "-"
                                               << "-0"
                                               << "0";
        QTest::newRow("then a digit replaces the 0") << "" << 0 << 0 << "-5"
                                                     << "-5"
                                                     << "";
        QTest::newRow("separator after digits") << "12" << 2 << 0 << "."
                                                << "12."
                                                << "";
        QTest::newRow("separator alone") << "" << 0 << 0 << "."
                                         << "0"
                                         << "0";
    }

    void typing() {
        QFETCH(QString, start);
        QFETCH(int, selStart);
        QFETCH(int, selLength);
        QFETCH(QString, keys);
        QFETCH(QString, text);
        QFETCH(QString, selected);
        JudgeEdit edit(start);
        if (selLength > 0) {
            edit.widget.setSelection(selStart, selLength);
        } else {
            edit.widget.setCursorPosition(selStart);
        }
        QTest::keyClicks(&edit.widget, keys);
        QCOMPARE(ModelText(edit.model), text);
        QCOMPARE(edit.widget.text(), text);
        QCOMPARE(edit.widget.selectedText(), selected);
        QCOMPARE(QString::fromStdString(edit.model.SelectedText()), selected);
    }

    void deletingKeys() {
        JudgeEdit edit("152");
        edit.widget.setCursorPosition(3);
        QTest::keyClick(&edit.widget, Qt::Key_Backspace);
        QCOMPARE(edit.widget.text(), QStringLiteral("15"));
        edit.widget.setCursorPosition(0);
        QTest::keyClick(&edit.widget, Qt::Key_Delete);
        QCOMPARE(edit.widget.text(), QStringLiteral("5"));
        QCOMPARE(edit.widget.cursorPosition(), 0);
        // Deleting the last character leaves an empty text: replaced by "0".
        QTest::keyClick(&edit.widget, Qt::Key_Delete);
        QCOMPARE(ModelText(edit.model), QStringLiteral("0"));
        QCOMPARE(edit.widget.selectedText(), QStringLiteral("0"));
        // Undo would bring back a text the model no longer has: eaten.
        QTest::keyClick(&edit.widget, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(edit.widget.text(), QStringLiteral("0"));
    }

    // Pasting skips the key filter, as on the system's edits, but not the
    // change check.
    void pasteAndCut() {
        JudgeEdit edit("1");
        QApplication::clipboard()->setText(QStringLiteral("3.5\nmore"));
        edit.widget.setCursorPosition(1);
        QTest::keyClick(&edit.widget, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(ModelText(edit.model), QStringLiteral("13.5"));
        QCOMPARE(edit.widget.cursorPosition(), 4);
        edit.widget.setSelection(1, 2);
        QTest::keyClick(&edit.widget, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("3."));
        QCOMPARE(edit.widget.text(), QStringLiteral("15"));
        QApplication::clipboard()->setText(QStringLiteral("1,5"));
        edit.widget.selectAll();
        QTest::keyClick(&edit.widget, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(ModelText(edit.model), QStringLiteral("0"));
        QCOMPARE(edit.widget.selectedText(), QStringLiteral("0"));
    }

    // The widget's text is never read back into the model: a text put into
    // the widget behind the model's back is gone at the next key.
    void theModelOwnsTheText() {
        JudgeEdit edit("22000");
        edit.widget.setText(QStringLiteral("999"));  // the caret is now at 3
        QTest::keyClick(&edit.widget, Qt::Key_1);
        QCOMPARE(ModelText(edit.model), QStringLiteral("220100"));
        QCOMPARE(edit.widget.text(), QStringLiteral("220100"));
        // A change made to the model shows on Show().
        edit.model.SetText("42");
        edit.binding.Show();
        QCOMPARE(edit.widget.text(), QStringLiteral("42"));
    }

    void keyUpRunsAfterEveryKey() {
        JudgeEdit edit("1");
        int keyUps = 0;
        edit.binding.SetOnKeyUp([&] { ++keyUps; });
        QTest::keyClicks(&edit.widget, "2x");
        QTest::keyClick(&edit.widget, Qt::Key_Left);
        QCOMPARE(keyUps, 3);
        QCOMPARE(edit.widget.text(), QStringLiteral("12"));
    }
};

VARLO_APP_TEST_MAIN(AppEditBindingTest)
#include "AppEditBindingTest.moc"
