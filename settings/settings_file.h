#ifndef POSRELAY_SETTINGS_SETTINGS_FILE_H
#define POSRELAY_SETTINGS_SETTINGS_FILE_H

#include <string>

#include "platform/platform_services.h"
#include "settings/launcher_settings.h"

// The keys in the order they are tested against a line; the first one whose
// text occurs anywhere in the line is the one the line sets.
enum SettingsKey {
  kKeyGpath,
  kKeyGreset,
  kKeyGclear,
  kKeyWait,
  kKeyWaitloop,
  kKeyWaitstart,
  kKeyWsimdcon,
  kKeyWsimcon,
  kKeyGzoomtime,
  kKeyComport,
  kSettingsKeyCount,
  kNoSettingsKey = -1
};

// What one line did to the record.
enum SettingsLineOutcome {
  kLineMatchedNoKey,  // no key text in the line: ignored
  kLineApplied,       // the key's field took the line's value
  kLineHadNoValue,    // nothing after the "=", or a text value that is only a line end
  kLineValueTooLong   // a text value longer than its field, or cut by the end of a piece
};

// Name of a key without its "=", such as L"wait".
const wchar_t* SettingsKeyName(int key);

// Path of the file `name` in the folder of the executable at
// `executablePath`: the path cut at its last backslash, or whole when it has
// none; empty when `executablePath` is. posrelay.ini and posrelay.trace lie
// there.
std::wstring PathBesideExecutable(const std::wstring& executablePath, const wchar_t* name);

// Full path of posrelay.ini beside the executable; empty when the platform
// cannot say where the executable is.
std::wstring SettingsPath(PlatformServices& platform);

// Most bytes of the file read at once.
enum { kSettingsPieceBytes = 255 };

// Told of each piece of the file as ReadSettings takes it, so that a reader
// of the same file (a settings check, a replay) reads it no other way.
class SettingsReadObserver {
 public:
  virtual ~SettingsReadObserver() {}
  // `piece`: the text of one read of the file, at most kSettingsPieceBytes
  // up to and including a line feed, in the platform's code page; `cut`: it
  // filled them without a line feed, so that the line goes on in the next
  // piece. `outcome` and `key` are what ApplySettingsLine made of it, and
  // `settings` the record after it.
  virtual void PieceTaken(const std::wstring& piece, bool cut, SettingsLineOutcome outcome, int key,
                          const LauncherSettings& settings) = 0;
};

// Fills the record with the defaults, then overrides fields from the file,
// telling `observer`, when there is one, of each piece. Never fails: a
// missing file leaves the defaults.
void ReadSettings(PlatformServices& platform, LauncherSettings& settings,
                  SettingsReadObserver* observer = 0);

// The value a line gives its key: the second token of the line split at runs
// of "=". Zero when the line has none.
int SettingsLineValue(const std::wstring& line, std::wstring& value);

// The field a key's value goes to: a number, or a text of at most its
// capacity; 0 for a key of the other kind, or none.
int* NumericSettingsField(LauncherSettings& settings, int key);
const int* NumericSettingsField(const LauncherSettings& settings, int key);
std::wstring* TextSettingsField(LauncherSettings& settings, int key);
const std::wstring* TextSettingsField(const LauncherSettings& settings, int key);
std::wstring::size_type TextSettingsCapacity(int key);

// Applies one piece of the file to the record; `key` receives the key the
// line matched, or kNoSettingsKey. A text value that runs into the end of a
// cut piece is not whole and is not taken.
SettingsLineOutcome ApplySettingsLine(LauncherSettings& settings, const std::wstring& line,
                                      bool cut, int& key);

#endif
