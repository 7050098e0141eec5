#ifndef POSRELAY_APP_LAUNCHER_MESSAGES_H
#define POSRELAY_APP_LAUNCHER_MESSAGES_H

// The launcher's only words to the user. This file is UTF-8: a compiler that
// reads its sources in another code page must be told so, or be given a copy
// saved in the form it reads.

// The running map application did not close in time.
const wchar_t kMapCloseTimeoutMessage[] = L"モバイル Google マップの停止でタイムアウトしました";
// The module gave no position.
const wchar_t kNoPositionMessage[] = L"W-SIMからの位置情報取得に失敗しました";
// The map application could not be started.
const wchar_t kMapStartFailedMessage[] = L"モバイル Google マップの起動に失敗しました";
// The started map application showed no window in time.
const wchar_t kMapStartTimeoutMessage[] = L"モバイル Google マップの起動でタイムアウトしました";

#endif
