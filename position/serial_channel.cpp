#include "position/serial_channel.h"

int SendCommand(PlatformServices& platform, DeviceHandle port, const std::wstring& command) {
  std::string bytes = platform.WideToAnsi(command);
  if (bytes.size() > kChannelBufferBytes) bytes.resize(kChannelBufferBytes);
  return platform.WriteDevice(port, bytes.data(), static_cast<int>(bytes.size()));
}

int ReadResponse(PlatformServices& platform, DeviceHandle port, std::wstring& reply) {
  char buffer[kChannelBufferBytes] = {0};
  int count = platform.ReadDevice(port, buffer, kChannelBufferBytes);
  if (count < 0) count = 0;
  if (count > kChannelBufferBytes) count = kChannelBufferBytes;
  std::wstring text;
  if (count > 0) text = platform.AnsiToWide(std::string(buffer, static_cast<size_t>(count)));
  // At most one character per byte read, and nothing after a zero byte.
  if (text.size() > static_cast<size_t>(count)) text.resize(static_cast<size_t>(count));
  EndReplyAtZero(text);
  reply.swap(text);
  return count;
}

void EndReplyAtZero(std::wstring& reply) {
  const std::wstring::size_type zero = reply.find(L'\0');
  if (zero != std::wstring::npos) reply.resize(zero);
}
