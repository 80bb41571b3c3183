#include "recording/TableFiles.h"

#include "recording/ReadingLog.h"
#include "recording/TableLoadJob.h"
#include "recording/TableSaveJob.h"

namespace varlo {

namespace {

TableFormat FormatByExtension(std::string_view fileName) {
    return IsXmlTableName(fileName) ? TableFormat::Xml : TableFormat::Text;
}

}  // namespace

bool IsXmlTableName(std::string_view fileName) {
    const std::size_t slash = fileName.rfind('/');
    const std::string_view base =
        slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
    const std::size_t dot = base.rfind('.');
    return dot != std::string_view::npos && base.substr(dot) == ".xml";
}

bool SaveTableText(const ReadingLog& log, const std::string& fileName, Dialogs& dialogs) {
    return TableSaveJob(log, fileName, TableFormat::Text, dialogs).Run();
}

bool SaveTableByExtension(const ReadingLog& log, const std::string& fileName, Dialogs& dialogs) {
    return MakeSaveJob(log, fileName, dialogs)->Run();
}

bool LoadTableFile(const std::string& fileName, ReadingLog& log, bool emptyFirst,
                   Dialogs& dialogs) {
    return TableLoadJob(log, fileName, emptyFirst, dialogs).Run();
}

bool saveasClick(const ReadingLog& log, const std::string& fileName, Dialogs& dialogs) {
    return SaveTableByExtension(log, fileName, dialogs);
}

bool SpeedButton2Click(ReadingLog& log, const std::string& fileName, Dialogs& dialogs) {
    return LoadTableFile(fileName, log, false, dialogs);
}

std::unique_ptr<TableFileJob> MakeSaveJob(const ReadingLog& log, const std::string& fileName,
                                          Dialogs& dialogs, std::function<void()> onLogReleased) {
    return std::make_unique<TableSaveJob>(log, fileName, FormatByExtension(fileName), dialogs,
                                          std::move(onLogReleased));
}

std::unique_ptr<TableFileJob> MakeOpenJob(ReadingLog& log, const std::string& fileName,
                                          Dialogs& dialogs, std::function<void()> onLogReleased) {
    return std::make_unique<TableLoadJob>(log, fileName, false, dialogs, std::move(onLogReleased));
}

bool ConvertTableFile(const std::string& in, const std::string& out, Dialogs& dialogs) {
    ReadingLog log;
    return LoadTableFile(in, log, false, dialogs) && SaveTableByExtension(log, out, dialogs);
}

}  // namespace varlo
