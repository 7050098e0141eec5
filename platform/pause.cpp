#include "platform/pause.h"

void Pause(PlatformServices& platform, int milliseconds) {
  platform.SleepFor(milliseconds < 0 ? 0u : static_cast<unsigned int>(milliseconds));
}
