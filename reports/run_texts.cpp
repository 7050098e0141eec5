#include "reports/run_texts.h"

#include "check/check_texts.h"
#include "check/display_text.h"
#include "check/seconds_text.h"
#include "replay/run_phases.h"

namespace {

struct Texts {
  const char* english;
  const char* japanese;
};

const Texts kTexts[kRunTextCount] = {
    {"map shown, after {1}", "{1}で地図を表示して終わりました"},
    {"map shown at {2}, after {1}", "{1}で地図を表示して終わりました（{2}）"},
    {"message {3}, after {1}", "{1}でメッセージ{3}を表示して終わりました"},
    {"message {3}, position {2}, after {1}",
     "{1}でメッセージ{3}を表示して終わりました（位置は{2}）"},
    {"the record stops at {1}, before any position",
     "記録は {1}で途切れています（位置はまだ取れていません）"},
    {"the record stops at {1}, with the position {2}", "記録は {1}で途切れています（位置は{2}）"},
    {"the trace reached its bound, so its middle is left out and the record stops at {1}, short "
     "of the run's end",
     "記録ファイルが上限の大きさに達したため途中が省かれ、記録は実行の終わりまで残っていません（"
     "{1}まで）"},
    {"{5}; the trace reached its bound, so only the run's beginning and its last part are kept",
     "{5}。記録ファイルが上限の大きさに達したため、実行の最初と最後の部分だけが残っています"},
    {"ended at the message {3}, at {1}, as when the handset is reset while it is shown",
     "メッセージ{3}の表示中に記録が終わっています（{1}。表示中に端末をリセットしたときなど）"},
    {"{1}, {2}", "北緯 {1} 度、東経 {2} 度"},
    {"-- summary --", "-- まとめ --"},
    {"position  {1}", "位置: {1}"},
    {"message   {1}", "メッセージ: {1}"},
    {"none", "なし"},
    {"end: {1}", "終わり: {1}"},
    {"not asked: the run ended before the module's turn",
     "問い合わせていません（W-SIM に問い合わせる前に終わりました）"},
    {"none: the port {1} did not open", "なし（ポート{1}が開きませんでした）"},
    {"none in {1} attempts (at most {2})",
     "なし（{1} 回問い合わせても取れませんでした。最大 {2} 回）"},
    {"attempt {1} of at most {2} gave {3} {4} on the Tokyo datum ({5}); on WGS84 {6}",
     "{1} 回目の問い合わせで取れました（最大 {2} 回）。日本測地系で {3} {4}（{5}）、"
     "世界測地系（WGS84）で {6}"},
    {"not asked yet: the record stops before the module's turn",
     "まだ問い合わせていません（W-SIM に問い合わせる前に記録が途切れています）"},
    {"none yet: the record stops at attempt {1} (at most {2})",
     "まだ取れていません（{1} 回目の問い合わせまでで記録が途切れています。最大 {2} 回）"},
    {"none yet: the record stops before the first attempt",
     "まだ取れていません（最初の問い合わせの前に記録が途切れています）"},
    {"-- attempt {1} --", "-- {1} 回目の問い合わせ --"},
    {"{1} × {2} (each: {3}), the last at {4}", "{1} × {2}（それぞれ{3}）、最後は {4}"},
    {"down, up", "押して離す"},
    {"{1} {2} ms, down, up", " {2} ミリ秒待って押して離す"},
    {"posrelay: the run over time", "posrelay の実行の流れ"},
    {"position {1}", "位置: {1}"},
    {"{1}, {2} to {3}", "{1}（{2}から {3}まで）"},
    {"attempt {1} of the position query, from {2}", "{1} 回目の位置の問い合わせ（{2}から）"},
    {"pause of {1} ms, {3} to {4}", "{2}の待ち（{3}から {4}まで）"},
    {"{1}: {2}", "{1}：{2}"},
    {"message {1} shown", "メッセージ{1}を表示しました"},
    {"message", "メッセージ"},
    {"end of the run, {1}", "実行の終わり（{1}）"},
    {"end {1}", "実行の終わり {1}"},
    {"the record stops, {1}", "記録の終わり（{1}）"},
    {"record stops {1}", "記録の終わり {1}"},
    {"pause", "待ち時間"},
    {"command to the module", "W-SIM への問い合わせ"},
    {"reply", "W-SIM の応答"},
    {"no reply yet", "応答なし"},
    {"looked for the map's window: not there yet", "地図アプリの画面を探した（まだない）"},
    {"map's window found", "地図アプリの画面があった"},
    {"asked the map to close, or started it", "地図アプリの終了依頼か起動"},
    {"other step", "そのほかの準備や後片付け"},
    {"as always where the run was recorded", "記録した環境ではいつもこうなる結果"},
    {"could not ask the map to close, or start it", "地図アプリの終了依頼か起動の失敗"},
    {"step that failed", "うまくいかなかった操作"},
    {"key press", "キー操作"},
    {"attempt of the position query", "位置の問い合わせ（何回目か）"},
    {"message shown", "メッセージの表示"},
    {"end of the run", "実行の終わり"},
    {"the record stops", "記録の終わり"},
    {"opened the module's port {1}", "W-SIM のポート{1}を開きました"},
    {"could not open the module's port {1}", "W-SIM のポート{1}を開けませんでした"},
    {"sent the module the command {1}", "W-SIM にコマンド{1}を送りました"},
    {"the module replied {1}", "W-SIM から応答がありました：{1}"},
    {"no reply from the module yet", "W-SIM からの応答はまだありません"},
    {"closed the module's port", "W-SIM のポートを閉じました"},
    {"looked for the map's window: it is there", "地図アプリの画面を探しました（あります）"},
    {"looked for the map's window: not there yet",
     "地図アプリの画面を探しました（まだありません）"},
    {"brought the map's window to the front", "地図アプリの画面を前面に出しました"},
    {"asked the map to close", "地図アプリに終了を頼みました"},
    {"could not ask the map to close", "地図アプリに終了を頼めませんでした"},
    {"asked the map to clear its view", "地図アプリに表示の消去を頼みました"},
    {"could not ask the map to clear its view", "地図アプリに表示の消去を頼めませんでした"},
    {"started the map", "地図アプリを起動しました"},
    {"could not start the map", "地図アプリを起動できませんでした"},
    {"pressed the key {1}", "キー{1}を押しました"},
    {"began the key presses", "キー操作を始めました"},
    {"finished the key presses", "キー操作を終えました"},
    {"opened the handset's status for the zoom", "ズームのために端末の状態を開きました"},
    {"could not open the handset's status for the zoom",
     "ズームのための端末の状態を開けませんでした"},
    {"set the handset's status for the zoom", "ズームのために端末の状態を書き込みました"},
    {"could not set the handset's status for the zoom",
     "ズームのための端末の状態を書き込めませんでした"},
    {"closed the handset's status", "端末の状態を閉じました"},
    {"loaded the data connection's functions ({1})",
     "データ接続を切るための機能（{1}）を読み込みました"},
    {"the data connection's functions ({1}) are not there, as on every desktop: posrelay goes on "
     "without hanging up",
     "データ接続を切るための機能（{1}）がありません。パソコンで記録した実行ではいつもこうなり、"
     "posrelay はデータ接続を切らずに進みます"},
    {"found the data connection's function {1}", "データ接続の機能{1}を見つけました"},
    {"did not find the data connection's function {1}",
     "データ接続の機能{1}が見つかりませんでした"},
    {"released the data connection's functions", "データ接続を切るための機能を閉じました"},
    {"looked for data connections: {1}", "つながっているデータ接続を調べました（{1} 件）"},
    {"looked for data connections: none, so there is nothing to hang up",
     "つながっているデータ接続を調べました（なし。切るものはありません）"},
    {"could not look for data connections", "つながっているデータ接続を調べられませんでした"},
    {"hung up the data connection {1}", "データ接続{1}を切りました"},
    {"could not hang up the data connection {1}", "データ接続{1}を切れませんでした"},
    {"got ready to use the internet", "インターネットを使う準備をしました"},
    {"could not get ready to use the internet", "インターネットを使う準備ができませんでした"},
    {"set how long to wait for the internet", "インターネットを待つ時間を決めました"},
    {"could not set how long to wait for the internet",
     "インターネットを待つ時間を決められませんでした"},
    {"opened the page {1} to see whether the internet is reached",
     "インターネットにつながるか確かめるため、ページ{1}を開きました"},
    {"could not open the page {1}: the internet is not reached",
     "ページ{1}を開けませんでした（インターネットにつながっていません）"},
    {"read {1} bytes of the page", "ページを読みました（{1} バイト）"},
    {"could not read the page", "ページを読めませんでした"},
    {"finished with the internet", "インターネットの使用を終えました"},
    {"a run of posrelay {1}{2} on the {3}{4}{5}", "{3}{4}で実行した posrelay {1}{2} の記録{5}"},
    {" (build {1})", "（ビルド {1}）"},
    {" ({1})", "（{1}）"},
    {", started {1}", "、開始 {1}"},
    {"recorded", "記録"},
    {"pauses", "待ち"},
    {"operation", "操作"},
    {"-- {1} operations left out at the bound --", "-- 上限のため {1} 個の操作が省かれています --"},
    {"{1} s recorded, {2} s of them the launcher's pauses, {3} s beyond them",
     "記録された {1} 秒のうち、posrelay 自身の待ち時間が {2} 秒、それ以外が {3} 秒"},
    {"identical: {1} operations; {2}", "記録どおりです（{1} 個の操作）。{2}"},
    {"{1}, after operation {4}: {2}; identical up to there; {3}",
     "{1}。途切れたのは {4} 番目の操作のあとです。{2}。そこまでは記録どおりです。{3}"},
    {"{1}, after operation {4}; identical up to there; {3}",
     "{1}。途切れたのは {4} 番目の操作のあとです。そこまでは記録どおりです。{3}"},
    {"{1} operations; {2}", "{1} 個の操作。{2}"},
    {"the record stops after operation {1}: {2}; {3}",
     "記録は {1} 番目の操作のあとで止まっています。{2}。{3}"},
    {"the trace reached its bound after {1} operations; {2}",
     "記録は {1} 個の操作で上限に達しています。{2}"},
    {"its last line, line {1}, was cut part-way", "最後の行（{1} 行目）が途中で切れています"},
    {"the trace stops without its end line", "終わりの行がないまま記録が止まっています"},
    {"cut: the trace reached its bound after {1} operations, identical up to there; {2}",
     "記録が上限に達し、{1} 個の操作で止まっています。そこまでは記録どおりです。{2}"},
    {"; then {1} operations left out and {2} more of the run's last part{3}",
     "。続く {1} 個の操作は省かれ、実行の最後の部分の {2} 個の操作が残っています{3}"},
    {", to its end", "（終わりまで）"},
    {"divergence at operation {1} (line {2}): ",
     "{1} 番目の操作（記録ファイルの {2} 行目）で記録と違う動きになりました。"},
    {"divergence at the end line (line {1}): ",
     "終わりの行（記録ファイルの {1} 行目）が記録と違います。"},
    {"recorded {1}; ", "記録: {1}。"},
    {"the trace ends there; ", "記録はそこで終わっています。"},
    {"the launcher made no more calls", "posrelay はそれ以上の呼び出しをしませんでした"},
    {"the launcher made {1}", "posrelay の呼び出し: {1}"},
    {"the replayed calls give {1}", "再生した呼び出しから得られる終わりの行: {1}"},
    {"Replayed exactly as recorded: {1}.", "記録どおりに再現できました。{1}。"},
    {"Identical as far as the trace goes: {1}.", "記録のあるところまでは記録どおりです。{1}。"},
    {"The run departs from the recording at operation {1} (line {2} of the trace).",
     "記録と違う動きになりました（{1} 番目の操作、記録ファイルの {2} 行目）。"},
    {" Most likely the trace was copied only in part, or the handset was reset or switched off "
     "during the run: copy posrelay.trace from the handset again, and if it still stops short, "
     "run posrelay once more.",
     "記録ファイルのコピーが途中で止まったか、実行中に端末がリセットされたか電源が切れたと考えられ"
     "ます。端末から posrelay.trace をもう一度コピーしてください。それでも途切れているときは、"
     "posrelay をもう一度実行してください。"},
    {"The file is empty: it is not a posrelay trace.",
     "ファイルが空です。posrelay の実行記録ではありません。"},
    {"The file is larger than any trace (more than {1} bytes): it is not a posrelay trace.",
     "ファイルが大きすぎます（{1} バイトを超えています）。posrelay の実行記録ではありません。"},
    {"This file is not a posrelay trace: its first line is not a trace's.",
     "このファイルは posrelay の実行記録ではありません（1 "
     "行目が実行記録の始まりではありません）。"},
    {"This is a settings file (posrelay.ini), not a trace: pick posrelay.trace.",
     "これは設定ファイル（posrelay.ini）で、実行記録ではありません。posrelay.trace "
     "を選んでください。"},
    {"This trace is of a newer format (version {1}) than this version of posrelay reads (up to "
     "{2}).",
     "この実行記録は新しい形式（バージョン {1}）のため読めません（読めるのはバージョン {2} "
     "まで）。"},
    {"Line {1} of the trace is damaged, so it cannot be replayed.",
     "実行記録の {1} 行目が壊れているため、再生できません。"},
    {"The settings this trace records (line {1}) ask for more than {2} checks of the map window "
     "or key presses, more than a replay makes.",
     "この記録の設定（{1} 行目）では、地図アプリの画面を確かめる回数かキーを押す回数が {2} "
     "を超えるため、再生できません。"},
    {"{1} ({2})", "{1}"},
};

}  // namespace

std::string RunTextIn(ReportLanguage language, RunText text,
                      std::initializer_list<std::string> arguments) {
  return TextIn(language, kTexts[text].english, kTexts[text].japanese, arguments);
}

std::string QuotedIn(ReportLanguage language, std::string_view utf8) {
  const std::string quoted = DisplayText(utf8);
  if (language == kEnglish) return quoted;
  return "「" + quoted.substr(1, quoted.size() - 2) + "」";
}

std::string SecondsIn(ReportLanguage language, std::int64_t ms) {
  if (language == kJapanese) return TimeForPeople(ms, language);
  return CheckTextIn(language, kTextSeconds, {SecondsText(ms)});
}

std::string PositionIn(ReportLanguage language, const GeoPosition& position) {
  if (language == kEnglish) return DegreesText(position);
  const std::string degrees = DegreesText(position);
  const std::string::size_type comma = degrees.find(", ");
  return RunTextIn(language, kPositionDegrees,
                   {degrees.substr(0, comma), degrees.substr(comma + 2)});
}

std::string PhaseNameIn(ReportLanguage language, RunPhase phase) {
  static const char* const kJapaneseNames[] = {"設定ファイル", "地図の確認", "データ接続",
                                               "W-SIM",        "地図の起動", "ズームと消去"};
  return language == kJapanese ? kJapaneseNames[phase] : RunPhaseName(phase);
}

namespace {

const Texts kLaneNames[kLaneCount] = {
    {"map application", "地図アプリ"},
    {"data connection", "データ接続"},
    {"module", "W-SIM"},
    {"internet and keys", "インターネットとキー"},
};

}  // namespace

const char* ChartLaneName(ChartLane lane) { return kLaneNames[lane].english; }

std::string LaneNameIn(ReportLanguage language, ChartLane lane) {
  return language == kJapanese ? kLaneNames[lane].japanese : kLaneNames[lane].english;
}

std::string SystemNameIn(ReportLanguage language, const std::string& system) {
  if (language == kEnglish) return system;
  if (system == "handset") return "端末";
  if (system == "desktop") return "パソコン";
  if (system == "simulated") return "仮想の端末";
  return QuotedIn(language, system);
}
