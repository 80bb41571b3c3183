#pragma once

#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <string_view>

#include "recording/EditBox.h"

class QKeyEvent;

namespace varlo::app {

// The edit box a binding shows, and the three ways the binding changes it.
// Whoever owns the box decides what a key or a new text sets off.
class EditTarget {
  public:
    virtual ~EditTarget() = default;
    virtual const EditBox& Box() const = 0;
    // False when the key filter refuses the key.
    virtual bool KeyPress(char32_t key) = 0;
    virtual void SetText(std::string_view text) = 0;
    virtual void Select(std::size_t start, std::size_t length) = 0;
};

// Binds one QLineEdit to the EditBox model of its text. The model owns the
// text: typed characters go through the model's key filter (a refused key
// is eaten) and change check, pastes and deletions become model edits, and
// the widget only ever shows the model's text and selection, written back
// under a signal blocker. Nothing typed is parsed back from the widget; only
// its caret and selection are read, before each edit.
class EditBinding : public QObject {
  public:
    // Edits `model` directly.
    EditBinding(QLineEdit& widget, EditBox& model, QObject* parent = nullptr);
    // Edits through `target`.
    EditBinding(QLineEdit& widget, std::unique_ptr<EditTarget> target, QObject* parent = nullptr);
    ~EditBinding() override;

    // Shows the model's text and selection; the caret stays where it is
    // when the text did not change.
    void Show();

    // Runs after every key release in the edit (with the model shown).
    void SetOnKeyUp(std::function<void()> onKeyUp) { onKeyUp_ = std::move(onKeyUp); }

    QLineEdit* Widget() const { return widget_; }
    const EditBox& Model() const { return target_->Box(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool KeyPress(QKeyEvent& key);
    void TakeSelection();
    void Type(const QString& text);
    void DeleteForward();
    void Paste(const QString& text);
    void Cut();
    void ContextMenu(const QPoint& globalPos);

    QPointer<QLineEdit> widget_;
    std::unique_ptr<EditTarget> target_;
    std::function<void()> onKeyUp_;
};

}  // namespace varlo::app
