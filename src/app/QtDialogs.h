#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "common/Dialogs.h"

namespace varlo::app {

// The program's message boxes: QMessageBox, modal, over the main window.
class QtDialogs : public Dialogs {
  public:
    // The window the boxes belong to; none before it exists.
    void SetParent(QWidget* parent) { parent_ = parent; }

    Answer Ask(const std::string& text) override;
    void Inform(const std::string& text) override;
    void SystemMessage(const std::string& title, const std::string& text) override;
    void ShowError(const std::string& text) override;

    // The boxes as they are shown, for the checks of their look.
    std::unique_ptr<QMessageBox> AskBox(const std::string& text) const;
    std::unique_ptr<QMessageBox> InformBox(const std::string& text) const;
    // A system message belongs to no window.
    std::unique_ptr<QMessageBox> SystemMessageBox(const std::string& title,
                                                  const std::string& text) const;
    std::unique_ptr<QMessageBox> ErrorBox(const std::string& text) const;

  private:
    QPointer<QWidget> parent_;
};

}  // namespace varlo::app
