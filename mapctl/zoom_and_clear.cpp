#include "mapctl/zoom_and_clear.h"

const int kPressesOfThree = 17;
const unsigned int kKeyPauseMs = 50;
const unsigned int kSettlePauseMs = 100;

namespace {

const wchar_t kStatusKey[] = L"Software\\Sharp\\PhoneStatus";
const wchar_t kStatusValue[] = L"Status22";
const unsigned int kStatusZoom = 7;

const unsigned char kKeyThree = 0x33;
const unsigned char kKeyOne = 0x31;

const unsigned int kCommandMessage = 273;  // WM_COMMAND
const size_t kClearCommand = 206;

void PressKey(PlatformServices& platform, unsigned char virtualKey) {
  platform.SendKeyEvent(virtualKey, false);
  platform.SendKeyEvent(virtualKey, true);
}

}  // namespace

void ApplyZoomLevel(PlatformServices& platform, int zoomLevel) {
  const RegistryKey key = platform.OpenCurrentUserKey(kStatusKey);
  if (key) {
    platform.SetDwordValue(key, kStatusValue, kStatusZoom);
    platform.CloseRegistryKey(key);
  }
  platform.SleepFor(kSettlePauseMs);
  platform.PreKeyCall();
  platform.SleepFor(kSettlePauseMs);
  for (int three = 0; three < kPressesOfThree; ++three) {
    platform.SleepFor(kKeyPauseMs);
    PressKey(platform, kKeyThree);
  }
  // Counted from 1 so that no level, however low, overflows.
  for (int one = 1; one < zoomLevel; ++one) {
    platform.SleepFor(kKeyPauseMs);
    PressKey(platform, kKeyOne);
  }
  platform.PostKeyCall();
}

void ClearMapView(PlatformServices& platform, WindowHandle window) {
  platform.SleepFor(kSettlePauseMs);
  platform.PostWindowMessage(window, kCommandMessage, kClearCommand, 0);
}
