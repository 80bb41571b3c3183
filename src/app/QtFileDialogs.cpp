#include "app/QtFileDialogs.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace varlo::app {

namespace {

// The extension of the first pattern of a name filter: "XML(*.xml)" gives
// "xml".
QString FilterExtension(const QString& nameFilter) {
    static const QRegularExpression pattern(QStringLiteral(R"(\*\.(\w+))"));
    const QRegularExpressionMatch match = pattern.match(nameFilter);
    return match.hasMatch() ? match.captured(1) : QString();
}

}  // namespace

QStringList QtNameFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QString pattern = parts[i + 1];
        const QString bracketed = QLatin1Char('(') + pattern + QLatin1Char(')');
        filters << (description.endsWith(bracketed) ? description
                                                    : description + QLatin1Char(' ') + bracketed);
    }
    return filters;
}

std::unique_ptr<QFileDialog> QtFileDialogs::Make(const FileDialogSpec& dialog) const {
    auto box = std::make_unique<QFileDialog>(parent_);
    box->setObjectName(QString::fromStdString(dialog.name));
    box->setNameFilters(QtNameFilters(dialog.filter));
    if (dialog.kind == FileDialogSpec::Kind::Save) {
        box->setAcceptMode(QFileDialog::AcceptSave);
        box->setFileMode(QFileDialog::AnyFile);
        box->setOption(QFileDialog::DontConfirmOverwrite, !dialog.confirmOverwrite);
    } else {
        box->setAcceptMode(QFileDialog::AcceptOpen);
        box->setFileMode(QFileDialog::ExistingFile);
    }
    box->setDefaultSuffix(QString::fromStdString(dialog.defaultExtension));
    if (!dialog.defaultExtension.empty()) {
        // A name typed without an extension gets the one of the filter the
        // user picked, the default one until then.
        QFileDialog* raw = box.get();
        QObject::connect(raw, &QFileDialog::filterSelected, raw, [raw](const QString& filter) {
            const QString extension = FilterExtension(filter);
            if (!extension.isEmpty()) raw->setDefaultSuffix(extension);
        });
    }
    if (!dialog.resizable) {
        box->setSizeGripEnabled(false);
    }
    if (!dialog.clearNameBeforeUse) {
        if (const auto last = lastNames_.find(dialog.name); last != lastNames_.end()) {
            box->selectFile(last->second);
        }
    }
    return box;
}

std::optional<std::string> QtFileDialogs::Execute(const FileDialogSpec& dialog) {
    const std::unique_ptr<QFileDialog> box = Make(dialog);
    if (box->exec() != QDialog::Accepted || box->selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString chosen = box->selectedFiles().constFirst();
    lastNames_[dialog.name] = chosen;
    return chosen.toStdString();
}

}  // namespace varlo::app
