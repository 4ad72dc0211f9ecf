#pragma once

// Every file, section, key and pattern name of the print server's configuration that the tool
// touches. These are the server's own names: they must stay exactly as written.
namespace layout
{
// System profile (in the Windows directory) and default server profile (beside the program).
inline constexpr char kProfileFileName[] = "kel.ini";

// [Settings] of the system profile, and of job control files.
inline constexpr char kSettingsSection[] = "Settings";
inline constexpr char kRootDirKey[] = "QueueDir"; // names the root directory, not a queue's
inline constexpr char kServerProfileKey[] = "Ini";

// Server profile.
inline constexpr char kQueuesSection[] = "Queues";
inline constexpr char kQueueKeyFormat[] = "Queue%d";
inline constexpr char kWindowPosSection[] = "WindowPos";
inline constexpr char kWindowPosKey[] = "Main";
inline constexpr char kPlacementFormat[] = "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d";
inline constexpr char kQueueDirKey[] = "queuedir";

// Queue directory contents.
inline constexpr char kQueueProfileSuffix[] = "\\queue.ini";
inline constexpr char kJobControlPattern[] = "cf*.ini";

// Job control files.
inline constexpr char kXferKey[] = "Xfer";
inline constexpr char kPrintKey[] = "Print";
inline constexpr char kTotalDataFilesKey[] = "TotalDataFiles";
inline constexpr char kCurrentDataFileKey[] = "CurrentDataFile";
inline constexpr char kFilesSection[] = "Files";
inline constexpr char kFileKeyFormat[] = "File%d";

// Root directory contents.
inline constexpr char kLogDirSuffix[] = "\\logfiles";
} // namespace layout
