#include "app/QtDialogs.h"

namespace varlo::app {

namespace {

std::unique_ptr<QMessageBox> MakeBox(QMessageBox::Icon icon, const QString& title,
                                     const std::string& text, QMessageBox::StandardButtons buttons,
                                     QWidget* parent) {
    auto box =
        std::make_unique<QMessageBox>(icon, title, QString::fromStdString(text), buttons, parent);
    // The texts are the program's own and shown as they are, never as markup.
    box->setTextFormat(Qt::PlainText);
    return box;
}

}  // namespace

std::unique_ptr<QMessageBox> QtDialogs::AskBox(const std::string& text) const {
    auto box = MakeBox(QMessageBox::Information, QStringLiteral("Information"), text,
                       QMessageBox::Yes | QMessageBox::No, parent_);
    box->setDefaultButton(QMessageBox::Yes);
    box->setEscapeButton(QMessageBox::No);
    return box;
}

std::unique_ptr<QMessageBox> QtDialogs::InformBox(const std::string& text) const {
    return MakeBox(QMessageBox::Information, QStringLiteral("Information"), text, QMessageBox::Ok,
                   parent_);
}

std::unique_ptr<QMessageBox> QtDialogs::SystemMessageBox(const std::string& title,
                                                         const std::string& text) const {
    return MakeBox(QMessageBox::Critical, QString::fromStdString(title), text, QMessageBox::Ok,
                   nullptr);
}

std::unique_ptr<QMessageBox> QtDialogs::ErrorBox(const std::string& text) const {
    return MakeBox(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok, parent_);
}

Dialogs::Answer QtDialogs::Ask(const std::string& text) {
    return AskBox(text)->exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

void QtDialogs::Inform(const std::string& text) {
    InformBox(text)->exec();
}

void QtDialogs::SystemMessage(const std::string& title, const std::string& text) {
    SystemMessageBox(title, text)->exec();
}

void QtDialogs::ShowError(const std::string& text) {
    ErrorBox(text)->exec();
}

}  // namespace varlo::app
