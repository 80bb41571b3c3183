#include "recording/TableFiles.h"

#include <exception>
#include <functional>

#include "common/Dialogs.h"
#include "recording/ReadingLog.h"
#include "recording/TableTextFile.h"
#include "recording/TableXml.h"

namespace varlo {

namespace {

// The failure message, with the reason on a line of its own when the save
// was refused for one.
void ShowSaveFailed(const std::string& fileName, const std::string& refusal, Dialogs& dialogs) {
    std::string text = std::string(kSaveFailedText) + fileName;
    if (!refusal.empty()) text += "\n" + refusal;
    dialogs.Inform(text);
}

using RowSource = std::function<bool(ReadingLog&)>;

bool ReadSafely(const RowSource& read, ReadingLog& target) {
    try {
        return read(target);
    } catch (const std::exception&) {  // out of memory, too many distinct texts
        return false;
    }
}

// Runs a reader that appends rows and keeps the log as it was should it fail.
// The rows go straight into the log after a mark and are cut off again on
// failure; rows that replace the log's take the place of the old ones only
// once the whole file has been read, so no second copy is ever held.
bool LoadRows(ReadingLog& log, bool replace, const RowSource& read) {
    const bool wasSuspended = log.NotificationsSuspended();
    log.SetNotificationsSuspended(true);
    const std::size_t mark = log.RowCount();
    const ReadingLog::Checkpoint checkpoint = log.MakeCheckpoint();
    const bool ok = ReadSafely(read, log);
    if (!ok) {
        log.RollBack(checkpoint);
    } else if (replace) {
        log.EraseFront(mark);
    }
    log.SetNotificationsSuspended(wasSuspended);
    if (replace) {
        if (ok) log.NotifyReset();
    } else if (ok && log.RowCount() > mark) {
        log.NotifyRowsAppended(mark, log.RowCount() - 1);
    }
    return ok;
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
    std::string refusal;
    if (!WriteTableText(log, fileName, &refusal)) {
        ShowSaveFailed(fileName, refusal, dialogs);
        return false;
    }
    dialogs.Inform(std::string(kSavedText) + fileName + std::string(kSavedTextEnd));
    return true;
}

bool SaveTableByExtension(const ReadingLog& log, const std::string& fileName, Dialogs& dialogs) {
    if (!IsXmlTableName(fileName)) return SaveTableText(log, fileName, dialogs);
    std::string refusal;
    if (!WriteTableXml(log, fileName, &refusal)) {
        ShowSaveFailed(fileName, refusal, dialogs);
        return false;
    }
    return true;
}

bool LoadTableFile(const std::string& fileName, ReadingLog& log, bool emptyFirst,
                   Dialogs& dialogs) {
    const bool xml = IsXmlTableName(fileName);
    const bool ok =
        xml ? LoadRows(log, true,
                       [&](ReadingLog& target) { return ReadTableXml(fileName, target); })
            : LoadRows(log, emptyFirst,
                       [&](ReadingLog& target) { return ReadTableText(fileName, target); });
    if (!ok) dialogs.SystemMessage(std::string(kLoadFailedTitle), std::string(kLoadFailedText));
    return ok;
}

bool saveasClick(const ReadingLog& log, const std::string& fileName, Dialogs& dialogs) {
    return SaveTableByExtension(log, fileName, dialogs);
}

bool SpeedButton2Click(ReadingLog& log, const std::string& fileName, Dialogs& dialogs) {
    return LoadTableFile(fileName, log, false, dialogs);
}

bool ConvertTableFile(const std::string& in, const std::string& out, Dialogs& dialogs) {
    ReadingLog log;
    return LoadTableFile(in, log, false, dialogs) && SaveTableByExtension(log, out, dialogs);
}

}  // namespace varlo
