#pragma once

#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <functional>

#include "recording/EditBox.h"

class QKeyEvent;

namespace varlo::app {

// Binds one QLineEdit to the EditBox model of its text. The model owns the
// text: typed characters go through the model's key filter (a refused key
// is eaten) and change check, pastes and deletions become model edits, and
// the widget only ever shows the model's text and selection, written back
// under a signal blocker. Nothing typed is parsed back from the widget; only
// its caret and selection are read, before each edit.
class EditBinding : public QObject {
  public:
    EditBinding(QLineEdit& widget, EditBox& model, QObject* parent = nullptr);

    // Shows the model's text and selection; the caret stays where it is
    // when the text did not change.
    void Show();

    // Runs after every key release in the edit (with the model shown).
    void SetOnKeyUp(std::function<void()> onKeyUp) { onKeyUp_ = std::move(onKeyUp); }

    QLineEdit* Widget() const { return widget_; }
    EditBox& Model() const { return model_; }

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
    EditBox& model_;
    std::function<void()> onKeyUp_;
};

}  // namespace varlo::app
