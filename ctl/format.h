// The outputs made from a snapshot, each returned whole: text and JSON of list and arrays and
// those of show, from an item's rows (format.cpp); the plugin line of check (check.cpp); the
// Prometheus exposition of metrics (metrics.cpp).
#ifndef QVL_CTL_FORMAT_H
#define QVL_CTL_FORMAT_H

#include <string>

#include "showRows.h"
#include "snapshot.h"

namespace ctl {

std::string ShowText(const ShowItem &item);
std::string ShowJson(const ShowItem &item);
std::string ListText(const Snapshot &s);
std::string ListJson(const Snapshot &s);
std::string ArraysText(const Snapshot &s);
std::string ArraysJson(const Snapshot &s);

// Monitoring-plugin states, which are also the exit codes.
enum CheckState { CheckOk = 0, CheckWarning = 1, CheckCritical = 2, CheckUnknown = 3 };
struct CheckOptions {
    bool RebuildCritical = false; // --rebuild critical
    bool TasksOk = false;         // --tasks ok
    long TimeoutSeconds = 10;
};
extern const char *const QvlctlVersion;
// One line "QVL STATE - what | perfdata" and its state.
std::string CheckLine(const Snapshot &s, const CheckOptions &o, CheckState &state);
std::string CheckUnknownLine(const std::string &why);
// UNKNOWN naming what the driver named beyond the model's tables.
std::string CheckDroppedLine(const Dropped &lost);
// The states, exit codes and threshold ranges, for check --help.
std::string CheckHelpDetails();
// Driver text (ANSI code page) as the plugin line may carry it: UTF-8, no '|', ';' or control
// characters.
std::string PluginText(const std::string &ansi);
// The standard-error note of list and arrays when objects were dropped, or empty.
std::string DroppedNote(const Snapshot &s);

std::string MetricsText(const Snapshot &s);
// The exposition when the driver cannot be reached: qvl_up 0 alone.
std::string MetricsDownText();
// A label value as the exposition format escapes it; bytes from 0x80 up are read as Latin-1
// and written as UTF-8.
std::string PromLabel(const std::string &bytes);

// A name or text for a line of text output: control characters as \x0A, so one item stays
// one line.
std::string LineText(const std::string &text);

// Progress in 1/10000 as "45.12%".
std::string ProgressText(int progress);

} // namespace ctl

#endif
