#include "platform/pause.h"

void Pause(PlatformServices& platform, int milliseconds) {
  platform.SleepFor(PauseMilliseconds(milliseconds));
}

unsigned int PauseMilliseconds(int milliseconds) {
  return milliseconds < 0 ? 0u : static_cast<unsigned int>(milliseconds);
}
