#pragma once

#include <QFileDialog>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <string>

#include "common/FileDialogs.h"

namespace varlo::app {

// "Bitmaps (*.bmp)|*.bmp" as Qt's name filters: {"Bitmaps (*.bmp)"}. A
// description that does not end in its pattern gets it appended.
QStringList QtNameFilters(const std::string& filter);

// The window's file dialogs as QFileDialog, modal over the main window. A
// dialog that keeps its name offers the one chosen last time.
class QtFileDialogs : public FileDialogs {
  public:
    void SetParent(QWidget* parent) { parent_ = parent; }

    std::optional<std::string> Execute(const FileDialogSpec& dialog) override;

    // The dialog as it is shown, set up from its description.
    std::unique_ptr<QFileDialog> Make(const FileDialogSpec& dialog) const;

  private:
    QPointer<QWidget> parent_;
    std::map<std::string, QString> lastNames_;
};

}  // namespace varlo::app
