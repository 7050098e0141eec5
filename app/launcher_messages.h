#ifndef POSRELAY_APP_LAUNCHER_MESSAGES_H
#define POSRELAY_APP_LAUNCHER_MESSAGES_H

// The launcher's only words to the user, each under its text. They are
// spelled with universal character names so that every compiler reads the
// same characters, whatever code page it reads its sources in.
// clang-format off

// The running map application did not close in time.
// "モバイル Google マップの停止でタイムアウトしました"
const wchar_t kMapCloseTimeoutMessage[] =
    L"\u30E2\u30D0\u30A4\u30EB Google \u30DE\u30C3\u30D7\u306E\u505C\u6B62"
    L"\u3067\u30BF\u30A4\u30E0\u30A2\u30A6\u30C8\u3057\u307E\u3057\u305F";

// The module gave no position.
// "W-SIMからの位置情報取得に失敗しました"
const wchar_t kNoPositionMessage[] =
    L"W-SIM\u304B\u3089\u306E\u4F4D\u7F6E\u60C5\u5831\u53D6\u5F97\u306B\u5931"
    L"\u6557\u3057\u307E\u3057\u305F";

// The map application could not be started.
// "モバイル Google マップの起動に失敗しました"
const wchar_t kMapStartFailedMessage[] =
    L"\u30E2\u30D0\u30A4\u30EB Google \u30DE\u30C3\u30D7\u306E\u8D77\u52D5"
    L"\u306B\u5931\u6557\u3057\u307E\u3057\u305F";

// The started map application showed no window in time.
// "モバイル Google マップの起動でタイムアウトしました"
const wchar_t kMapStartTimeoutMessage[] =
    L"\u30E2\u30D0\u30A4\u30EB Google \u30DE\u30C3\u30D7\u306E\u8D77\u52D5"
    L"\u3067\u30BF\u30A4\u30E0\u30A2\u30A6\u30C8\u3057\u307E\u3057\u305F";
// clang-format on

#endif
