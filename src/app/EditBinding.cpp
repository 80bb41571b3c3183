#include "app/EditBinding.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QStringView>
#include <array>

namespace varlo::app {

namespace {

// Keys that only move the caret, select or copy: the widget handles them.
constexpr std::array kWidgetKeys = {
    QKeySequence::MoveToNextChar,     QKeySequence::MoveToPreviousChar,
    QKeySequence::MoveToNextWord,     QKeySequence::MoveToPreviousWord,
    QKeySequence::MoveToStartOfLine,  QKeySequence::MoveToEndOfLine,
    QKeySequence::MoveToStartOfBlock, QKeySequence::MoveToEndOfBlock,
    QKeySequence::SelectNextChar,     QKeySequence::SelectPreviousChar,
    QKeySequence::SelectNextWord,     QKeySequence::SelectPreviousWord,
    QKeySequence::SelectStartOfLine,  QKeySequence::SelectEndOfLine,
    QKeySequence::SelectStartOfBlock, QKeySequence::SelectEndOfBlock,
    QKeySequence::SelectAll,          QKeySequence::Copy,
    QKeySequence::Deselect,
};

bool IsWidgetKey(const QKeyEvent& key) {
    for (const QKeySequence::StandardKey sequence : kWidgetKeys) {
        if (key.matches(sequence)) return true;
    }
    switch (key.key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_Meta:
        case Qt::Key_CapsLock:
        case Qt::Key_NumLock:
            return true;
        default:
            break;
    }
    if (key.key() >= Qt::Key_F1 && key.key() <= Qt::Key_F35) return true;
    // Alt with a letter is a menu accelerator, not text.
    const Qt::KeyboardModifiers mods = key.modifiers();
    return (mods & Qt::AltModifier) && !(mods & Qt::ControlModifier);
}

// Code points in the first `units` UTF-16 units of `text`.
std::size_t CodePoints(const QString& text, qsizetype units) {
    return static_cast<std::size_t>(QStringView(text).left(units).toUcs4().size());
}

// UTF-16 units taken by the first `codePoints` code points of `text`.
qsizetype Utf16Units(const QString& text, std::size_t codePoints) {
    qsizetype units = 0;
    for (std::size_t i = 0; i < codePoints && units < text.size(); ++i) {
        units += text.at(units).isHighSurrogate() && units + 1 < text.size() ? 2 : 1;
    }
    return units;
}

// The first line of a pasted text.
QString FirstLine(const QString& text) {
    const qsizetype end = text.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
    return end < 0 ? text : text.left(end);
}

}  // namespace

namespace {

// A box edited directly: its own key filter and change check decide.
class BoxTarget : public EditTarget {
  public:
    explicit BoxTarget(EditBox& box) : box_(box) {}
    const EditBox& Box() const override { return box_; }
    bool KeyPress(char32_t key) override { return box_.KeyPress(key); }
    void SetText(std::string_view text) override { box_.SetText(text); }
    void Select(std::size_t start, std::size_t length) override { box_.Select(start, length); }

  private:
    EditBox& box_;
};

}  // namespace

EditBinding::EditBinding(QLineEdit& widget, EditBox& model, QObject* parent)
    : EditBinding(widget, std::make_unique<BoxTarget>(model), parent) {}

EditBinding::EditBinding(QLineEdit& widget, std::unique_ptr<EditTarget> target, QObject* parent)
    : QObject(parent), widget_(&widget), target_(std::move(target)) {
    widget.setAcceptDrops(false);
    widget.installEventFilter(this);
    Show();
}

EditBinding::~EditBinding() = default;

namespace {

// Writes the model's text and selection to the widget.
void ShowModel(QLineEdit& widget, const EditBox& model) {
    const QString text = QString::fromStdString(model.Text());
    const QSignalBlocker block(&widget);
    if (widget.text() != text) widget.setText(text);
    const qsizetype start = Utf16Units(text, model.SelStart());
    const qsizetype end = Utf16Units(text, model.SelStart() + model.SelLength());
    if (end > start) {
        widget.setSelection(start, end - start);
    } else {
        widget.setCursorPosition(start);
    }
}

// Shows the model when it goes out of scope, also when a change handler
// fails half-way: the widget then shows what the model holds, as typed.
class ShowModelAfter {
  public:
    ShowModelAfter(QLineEdit& widget, const EditBox& model) : widget_(widget), model_(model) {}
    ~ShowModelAfter() { ShowModel(widget_, model_); }
    ShowModelAfter(const ShowModelAfter&) = delete;
    ShowModelAfter& operator=(const ShowModelAfter&) = delete;

  private:
    QLineEdit& widget_;
    const EditBox& model_;
};

}  // namespace

void EditBinding::Show() {
    if (widget_ && widget_->text() != QString::fromStdString(target_->Box().Text())) {
        ShowModel(*widget_, target_->Box());
    }
}

void EditBinding::TakeSelection() {
    const QString text = widget_->text();
    if (widget_->hasSelectedText()) {
        const qsizetype start = widget_->selectionStart();
        const std::size_t from = CodePoints(text, start);
        target_->Select(from, CodePoints(text, start + widget_->selectionLength()) - from);
    } else {
        target_->Select(CodePoints(text, widget_->cursorPosition()), 0);
    }
}

void EditBinding::Type(const QString& text) {
    const ShowModelAfter show(*widget_, target_->Box());
    TakeSelection();
    for (const char32_t key : text.toUcs4()) {
        target_->KeyPress(key);
    }
}

void EditBinding::DeleteForward() {
    const EditBox& box = target_->Box();
    const ShowModelAfter show(*widget_, box);
    TakeSelection();
    if (box.SelLength() == 0) {
        if (box.SelStart() >= box.Length()) return;
        target_->Select(box.SelStart(), 1);
    }
    target_->KeyPress(EditBox::kBackspace);
}

void EditBinding::Paste(const QString& pasted) {
    const EditBox& box = target_->Box();
    const ShowModelAfter show(*widget_, box);
    TakeSelection();
    const QString line = FirstLine(pasted);
    QString text = QString::fromStdString(box.Text());
    const qsizetype from = Utf16Units(text, box.SelStart());
    const qsizetype to = Utf16Units(text, box.SelStart() + box.SelLength());
    text.replace(from, to - from, line);
    const std::string typed = text.toStdString();
    const std::size_t caret = box.SelStart() + CodePoints(line, line.size());
    target_->SetText(typed);
    if (box.Text() == typed) target_->Select(caret, 0);
}

void EditBinding::Cut() {
    TakeSelection();
    const EditBox& box = target_->Box();
    if (box.SelLength() == 0) return;
    QApplication::clipboard()->setText(QString::fromStdString(box.SelectedText()));
    const ShowModelAfter show(*widget_, box);
    target_->KeyPress(EditBox::kBackspace);
}

bool EditBinding::KeyPress(QKeyEvent& key) {
    if (IsWidgetKey(key)) return false;
    const bool command = key.modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
    if (key.key() == Qt::Key_Backspace) {
        if (!command) Type(QString(QChar(EditBox::kBackspace)));
    } else if (key.matches(QKeySequence::Delete)) {
        DeleteForward();
    } else if (key.matches(QKeySequence::Paste)) {
        Paste(QApplication::clipboard()->text());
    } else if (key.matches(QKeySequence::Cut)) {
        Cut();
    } else if (!command && !key.text().isEmpty() && key.text().at(0).isPrint()) {
        Type(key.text());
    }
    // Anything else (undo, word deletion, ...) would change the widget's
    // text behind the model's back: eaten.
    return true;
}

void EditBinding::ContextMenu(const QPoint& globalPos) {
    QMenu menu(widget_);
    const bool selected = widget_->hasSelectedText();
    QAction* cut = menu.addAction(QStringLiteral("Cu&t"));
    QAction* copy = menu.addAction(QStringLiteral("&Copy"));
    QAction* paste = menu.addAction(QStringLiteral("&Paste"));
    QAction* remove = menu.addAction(QStringLiteral("Delete"));
    menu.addSeparator();
    QAction* all = menu.addAction(QStringLiteral("Select All"));
    cut->setEnabled(selected && !widget_->isReadOnly());
    copy->setEnabled(selected);
    paste->setEnabled(!widget_->isReadOnly() && !QApplication::clipboard()->text().isEmpty());
    remove->setEnabled(selected && !widget_->isReadOnly());
    all->setEnabled(!widget_->text().isEmpty());
    QAction* chosen = menu.exec(globalPos);
    if (!widget_ || chosen == nullptr) return;
    if (chosen == cut) Cut();
    if (chosen == copy) widget_->copy();
    if (chosen == paste) Paste(QApplication::clipboard()->text());
    if (chosen == remove) DeleteForward();
    if (chosen == all) widget_->selectAll();
}

bool EditBinding::eventFilter(QObject* watched, QEvent* event) {
    if (watched != widget_) return false;
    switch (event->type()) {
        case QEvent::KeyPress:
            if (widget_->isReadOnly()) return false;
            return KeyPress(static_cast<QKeyEvent&>(*event));
        case QEvent::KeyRelease:
            if (onKeyUp_ && !static_cast<QKeyEvent*>(event)->isAutoRepeat()) onKeyUp_();
            return false;
        case QEvent::InputMethod: {
            auto& input = static_cast<QInputMethodEvent&>(*event);
            if (!widget_->isReadOnly() && !input.commitString().isEmpty()) {
                Type(input.commitString());
            }
            return true;
        }
        case QEvent::ContextMenu:
            ContextMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
            // The middle button pastes the X11 selection into the widget.
            return static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton;
        default:
            return false;
    }
}

}  // namespace varlo::app
