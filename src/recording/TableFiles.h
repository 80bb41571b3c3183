#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "recording/TableFileJob.h"

namespace varlo {

class Dialogs;
class ReadingLog;

// The save and open commands of the reading log's table files, with their
// messages. The window's handlers show the file dialogs and pass the chosen
// name on; varlo-cli passes its arguments.

inline constexpr std::string_view kSaveFailedText = "Could not save table to specified file: ";
inline constexpr std::string_view kSavedText = "save table to specified file: ";
inline constexpr std::string_view kSavedTextEnd = " Scuss!";
inline constexpr std::string_view kLoadFailedTitle = "Error";
inline constexpr std::string_view kLoadFailedText = "Failed to Load File!";

// True when the file name's extension (from its last full stop on, within
// the last path component) is exactly ".xml"; ".XML" is not.
bool IsXmlTableName(std::string_view fileName);

// Writes the log as the text table and tells the outcome: "save table to
// specified file: NAME Scuss!" or "Could not save table to specified file:
// NAME", followed on a second line by the reason when the save was refused
// for one (a file whose folder cannot be written is not written over in
// place). An existing file is replaced only once the new one is complete.
bool SaveTableText(const ReadingLog& log, const std::string& fileName, Dialogs& dialogs);

// Writes the log by the extension rule: XML for ".xml" (no message on
// success), the text table otherwise. A failed XML save shows the same
// message as a failed text save. Returns whether the file was written.
bool SaveTableByExtension(const ReadingLog& log, const std::string& fileName, Dialogs& dialogs);

// Reads a table file into the log: XML for ".xml", which replaces the log's
// rows; otherwise the text table, whose rows are appended, or replace the
// rows when `emptyFirst` is set. On any failure the log is left exactly as it
// was and "Failed to Load File!" is shown in a system message titled "Error".
// The observer hears of the new rows once, on success.
bool LoadTableFile(const std::string& fileName, ReadingLog& log, bool emptyFirst, Dialogs& dialogs);

// The save command with the name chosen in the save dialog.
bool saveasClick(const ReadingLog& log, const std::string& fileName, Dialogs& dialogs);
// The open command with the name chosen in the open dialog: the file's rows
// are added to the log (an XML file replaces them).
bool SpeedButton2Click(ReadingLog& log, const std::string& fileName, Dialogs& dialogs);

// The save and open commands as jobs that run in steps (TableSaveJob,
// TableLoadJob), with the same files and messages; `onLogReleased` runs once
// the job is done with the log. The commands above run these to their end.
std::unique_ptr<TableFileJob> MakeSaveJob(const ReadingLog& log, const std::string& fileName,
                                          Dialogs& dialogs,
                                          std::function<void()> onLogReleased = {});
std::unique_ptr<TableFileJob> MakeOpenJob(ReadingLog& log, const std::string& fileName,
                                          Dialogs& dialogs,
                                          std::function<void()> onLogReleased = {});

// Loads `in` into an empty log by the open command's rule and saves it to
// `out` by the save command's rule. False on failure, `out` being then as it
// was.
bool ConvertTableFile(const std::string& in, const std::string& out, Dialogs& dialogs);

}  // namespace varlo
