#pragma once

#include <QString>
#include <cstdint>

// The numbers under which the language databases hold the tool's texts,
// named for what each says. The rows themselves live in data/lang/.
namespace kestrel {

// The title argument of LangMsgBox that stands for the product title: the
// box then carries the application's own title.
inline const QString kProductTitle = QStringLiteral("-1");

// Message boxes of the suite's common language database (kCommonSource).
namespace msgbox::common {
// The link to the exchange failed; some data may not have been read or written.
constexpr std::int16_t kLinkFailed = 1;
constexpr std::int16_t kRequestCompleted = 7;
// The station number belongs to a line of another kind.
constexpr std::int16_t kOtherLineKind = 16;
// There is no trunk data yet: read a source trunk with Get first.
constexpr std::int16_t kNoTrunkData = 17;
// The exchange link is busy or not available.
constexpr std::int16_t kLinkBusy = 20;
}  // namespace msgbox::common

// Message boxes of the tool's own language database (kOwnSource).
namespace msgbox::own {
constexpr std::int16_t kSourceNotAssigned = 3;
// The destination list is malformed or names a trunk above the highest.
constexpr std::int16_t kBadDestinationList = 4;
// These destination trunks are not assigned and were left out: %ST.
constexpr std::int16_t kDestinationsLeftOut = 5;
// The copy failed on these trunks: %ST.
constexpr std::int16_t kCopyFailedTrunks = 6;
constexpr std::int16_t kCopyDone = 7;
constexpr std::int16_t kStationNotAssigned = 8;
// The item is not among the source trunk's data.
constexpr std::int16_t kItemNotInSource = 12;
// The exchange refused these items: %ST.
constexpr std::int16_t kItemsRefused = 13;
// The copy needs more entries than one request carries.
constexpr std::int16_t kCopyTooLarge = 15;
// This value takes digits only.
constexpr std::int16_t kNotANumber = 16;
// What reached the destination trunks, read back: %ST.
constexpr std::int16_t kCopySummary = 20;
// The destination trunks could not be read (%ST); nothing was written.
constexpr std::int16_t kDestinationReadFailed = 21;
constexpr std::int16_t kJournalUnusable = 22;
constexpr std::int16_t kNothingToUndo = 23;
// Undo the copy of trunk %ST to %ST (%ST)? Yes / No.
constexpr std::int16_t kUndoQuestion = 24;
// These values changed since the copy: Yes / No / Cancel.
constexpr std::int16_t kUndoConflict = 25;
constexpr std::int16_t kUndoSummary = 26;
// Every value the copy wrote has changed since: nothing written back.
constexpr std::int16_t kAllChangedSince = 27;
// The copy journal could not record this: %ST.
constexpr std::int16_t kJournalWriteFailed = 28;
// The copy was cancelled during the destination check; nothing written.
constexpr std::int16_t kCopyCancelled = 29;
// The exchange link refused the request (%ST); nothing was sent.
constexpr std::int16_t kRequestRefused = 30;
// The source trunk could not be read (%ST); nothing changed.
constexpr std::int16_t kSourceNotRead = 31;
// The Get was cancelled: %ST.
constexpr std::int16_t kGetCancelled = 32;
// The copy was cancelled: what was written, %ST.
constexpr std::int16_t kCopyCancelledWhileWriting = 33;
// The copy did not end normally (%ST): what was written, %ST.
constexpr std::int16_t kCopyEndedAbnormally = 34;
// The report was written to the file %ST in the folder %ST; asks whether
// to open it.
constexpr std::int16_t kReportWritten = 35;
// The report could not be written: %ST (the reason).
constexpr std::int16_t kReportNotWritten = 36;
// The report (file %ST in the folder %ST) could not be opened.
constexpr std::int16_t kReportNotOpened = 37;
// These files of the language in use are missing; English is used: %ST.
constexpr std::int16_t kLanguageFilesMissing = 38;
// The window is closed while a copy or an undo writes (%ST what), or while a
// request reads: Yes stops after the entries in flight, No keeps it open.
constexpr std::int16_t kCloseWhileWriting = 39;
constexpr std::int16_t kCloseWhileReading = 40;
// A copy recorded ahead did not finish (%ST: its line of text 64).
constexpr std::int16_t kCopyDidNotFinish = 41;
// No answer came to a request, so it was given up.
constexpr std::int16_t kNoAnswer = 50;
// The destination list %ST cannot be used: %ST (the fault and its place);
// nothing read or written. Shown with the safety net on.
constexpr std::int16_t kDestinationListRefused = 45;
// Destination numbers above the highest trunk are left out: %ST.
constexpr std::int16_t kDestinationsAboveHighest = 46;
constexpr std::int16_t kDestinationListEmpty = 47;
// A "+" rule cannot add to the present value %ST.
constexpr std::int16_t kCannotAddToValue = 48;
// The station number could not be checked (%ST).
constexpr std::int16_t kStationNotChecked = 49;
// Catalogue rows that could not be built into the tree (%ST, one a line).
constexpr std::int16_t kTreeRowsNotBuilt = 51;
// The last copy is a colleague's: undo it? (%ST: login and full name, date,
// time, source trunk, destination list) Yes / No, No by default.
constexpr std::int16_t kUndoColleaguesCopy = 52;
}  // namespace msgbox::own

// Short texts of the tool's own "tMessages" table, read with Msg().
namespace text {
// The tool's name, the window title before the exchange's.
constexpr int kToolName = 0;
// "Exchange link": the host message line's prefix for link replies.
constexpr int kExchangeLink = 1;
constexpr int kReadingSource = 2;
constexpr int kRequestCompleted = 3;
constexpr int kRequestFailed = 4;
constexpr int kRequestEndedWithError = 5;
constexpr int kCopyIncomplete = 7;
constexpr int kFailedTrunksHead = 8;
constexpr int kStoringTrunkData = 9;
constexpr int kWorkDbNotOpen = 10;
// "more...": a list cut short.
constexpr int kMore = 11;
constexpr int kRequestCancelled = 12;
constexpr int kPortTrouble = 13;
// Title of the link-busy box.
constexpr int kLinkBoxTitle = 14;
// Title of the other common boxes the tool shows.
constexpr int kBoxTitle = 15;
// The reply of a refusal that was empty.
constexpr int kNoReply = 49;
// Heads of the cells a copy wrote, or may have written.
constexpr int kWrittenHead = 50;
constexpr int kNothingWritten = 51;
constexpr int kMaybeWrittenHead = 52;
// "The read-back failed (%1): ..." under a copy's summary.
constexpr int kReadBackFailed = 53;
// The host's message line before the reason an answer was refused.
constexpr int kAnswerRefused = 54;
// What a cancelled Get read: nothing, or "%1" items.
constexpr int kNothingRead = 55;
constexpr int kReadBeforeCancel = 56;
// Why a report could not be written: the template (%1) cannot be read or
// has no item row; no data for trunk %1; the database %1 unreadable (%2);
// the folder %1 not made; the file %1 not written (%2); the selection %1.
constexpr int kReportTemplateUnreadable = 57;
constexpr int kReportTemplateNoRow = 58;
constexpr int kReportNoData = 59;
constexpr int kReportDatabaseUnreadable = 60;
constexpr int kReportFolderNotMade = 61;
constexpr int kReportFileNotWritten = 62;
constexpr int kReportSelectionUnknown = 63;
// "The copy of %1 to %2 at %3 did not finish: up to %4 cells may have been
// written".
constexpr int kCopyDidNotFinish = 64;
// The preview shown again: %1 cells changed since it was read.
constexpr int kChangedSincePreview = 65;
// A destination value the exchange reports as not set: no undo brings it back.
constexpr int kCannotBeUndone = 66;
// The preview's heading: "Source trunk %1".
constexpr int kPreviewSource = 67;
// The host's line while a close waits for the copy to stop.
constexpr int kClosingAfterCopy = 68;
// The tool tip of a preview cell that differs from the preview before.
constexpr int kChangedSinceTip = 69;
// Why an answer that reached us in another shape than a record's failed.
constexpr int kAnswerUnreadable = 75;
// Why a request that no answer ended was given up.
constexpr int kNoAnswer = 76;
// The faults of a destination list the safety net refuses: a number
// missing next to the sign %1 at character %2; the range %1 with a second
// dash at character %2; the number %1 at character %2 above the highest
// trunk %3.
constexpr int kDestinationNumberMissing = 70;
constexpr int kDestinationSecondDash = 71;
constexpr int kDestinationAboveHighest = 72;
// "Above the highest trunk (%1), left out: %2".
constexpr int kDestinationsLeftOutAboveHighest = 73;
// The trunk box's number %1 was changed to the highest trunk %2.
constexpr int kTrunkNumberClamped = 74;
// A catalogue row left out of the tree: 'Item %1 "%2": %3' with the reason:
// the option %1 has no dialog number; names the dialog %2 that no rule
// describes; is past the last option the tree can hold; the key %1 twice.
constexpr int kTreeRowNotBuilt = 80;
constexpr int kTreeNoDialogNumber = 81;
constexpr int kTreeUnknownDialog = 82;
constexpr int kTreeTooManyOptions = 83;
constexpr int kTreeKeyTwice = 84;
// Beside the safety-net switch while it is off; the line the Copy
// command's tool tip gains then.
constexpr int kSafetyNetOff = 85;
constexpr int kCopyTipNetOff = 86;
// History's filter captions and choices, the mark of an entry not sent yet
// and the line said when only this computer's entries could be read.
constexpr int kHistoryFilterHeads = 87;
constexpr int kHistoryEngineers = 88;
constexpr int kHistoryEveryKind = 89;
constexpr int kHistoryRanges = 90;
constexpr int kHistoryWaiting = 91;
// Why the team's server could not be used (%1 the server, %2 its own words).
constexpr int kTeamUnreachable = 92;
constexpr int kTeamLoginRefused = 93;
constexpr int kTeamTlsRequired = 94;
constexpr int kTeamSchemaOutOfDate = 95;
constexpr int kTeamSchemaNewer = 96;
constexpr int kTeamRefused = 97;
constexpr int kHistoryLocalOnly = 98;
// The main window's line while entries wait to go to the team's server.
constexpr int kTeamWaiting = 99;
constexpr int kTeamOneWaiting = 103;
// History holds the newest %1 entries of the team's record that pass its filters.
constexpr int kHistoryNewestOnly = 104;
// Who changed each destination last, in the preview (numbered in one run,
// so that moving them is one edit): the column's head; the warning line
// "Changed by someone else since your Get: %1" (%1: "021 (ben, 10:42), ...");
// the tool tip of such a trunk's cell, %1 the colleague.
constexpr int kLastChangedHead = 100;
constexpr int kChangedByOthers = 101;
constexpr int kChangedByOtherTip = 102;
}  // namespace text

}  // namespace kestrel
