#pragma once
// Obtaining and letting go host instances: the start-up probe, the guard
// against a host the user already has open, the generation's own host and
// workbook, the save format, and the export of a sheet's picture.

#include <QString>

#include "host/host_api.h"

namespace brevanta::host {

// The host and workbook of one generation: the generation owns them, makes
// them when it starts and lets them go once the register is saved, so
// nothing of one generation outlives it or reaches the next.
struct HostSession {
    ApplicationPtr excelApp;
    WorkbookPtr excelBook;
};

// The default value a genuine host instance reports.
inline constexpr char kGenuineHostName[] = "Microsoft Excel";

// Start-up probe: when no host instance can be created, shows the guidance
// box and ends the program. Never fails.
void checkExcelInstalled();
// The guidance box text.
QString notInstalledText();

// True only when a running host can be attached to and is genuine. Never fails.
bool isExcelRunning();

// True when the user chose not to proceed because a host is running.
bool warnIfExcelOpen();
QString excelOpenQuestionText();

// Creates the session's host; failures pass to the caller.
void createExcelApp(HostSession& session);
// Lets the session's host go (without telling it to quit).
void releaseExcelApp(HostSession& session);

// The SaveAs file format for the host's version: 56 from version 12 on,
// -4143 before. Without a host, asks a fresh instance. Failures pass on.
int excelSaveFormat(const ApplicationPtr& app = nullptr);
// The same rule for a version text, under the current locale.
int saveFormatForVersion(const QString& versionText);

// A new host instance with the workbook at `path` open in it.
ApplicationPtr openWorkbookInNewExcel(const QString& path);

// How the sheet's picture reaches the file: the window copies it through the
// clipboard, as a user sees it done; the headless tool takes it directly and
// leaves the user's clipboard alone.
enum class PictureRoute { Clipboard, Direct };

// Writes a bitmap of the used range of the workbook's active sheet to
// `path`, replacing any file there. Reports each failed step itself. A used
// range ending in row 1 or column A writes nothing.
void saveCellsActivesheet(const WorkbookPtr& workbook, const QString& path,
                          PictureRoute route = PictureRoute::Clipboard);

}  // namespace brevanta::host
