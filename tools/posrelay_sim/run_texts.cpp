#include "tools/posrelay_sim/run_texts.h"

#include "tools/posrelay_sim/check_texts.h"
#include "tools/posrelay_sim/display_text.h"
#include "tools/posrelay_sim/run_phases.h"
#include "tools/posrelay_sim/seconds_text.h"
#include "tools/posrelay_sim/svg_timeline.h"

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
    {"interrupted after operation {4}, at {1}, before any position",
     "{4} 番目の操作のあとで記録が途切れています（{1}、位置は取れていません）"},
    {"interrupted after operation {4}, at {1}, with the position {2}",
     "{4} 番目の操作のあとで記録が途切れています（{1}、位置は{2}）"},
    {"cut at the trace's bound after operation {4}; the record stops at {1}, short of the run's "
     "end",
     "記録が上限に達したため {4} 番目の操作より後は省かれ、実行の終わりまで残っていません（記録は "
     "{1}まで）"},
    {"{5}; the trace was cut at its bound after operation {4}, its last part kept",
     "{5}。記録は {4} 番目の操作のあとで上限に達し、実行の最後の部分だけが残っています"},
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
    {"-- attempt {1} --", "-- {1} 回目の問い合わせ --"},
    {"{1} × {2} (each: {3}), the last at {4}", "{1} × {2}（それぞれ{3}）、最後は {4}"},
    {"down, up", "押して離す"},
    {"{1} {2} ms, down, up", " {2} ミリ秒待って押して離す"},
    {"posrelay: {1}", "posrelay: {1}"},
    {"position {1}", "位置: {1}"},
    {"{1}, {2} to {3} s", "{1}、{2} 〜 {3} 秒"},
    {"attempt {1}, from {2} s", "{1} 回目の問い合わせ、{2} 秒から"},
    {"{1} {2} ms, {3} to {4} s", "{2} ミリ秒の待ち、{3} 〜 {4} 秒"},
    {"{1} s  {2}", "{1} 秒  {2}"},
    {"message {1}", "メッセージ{1}"},
    {"message", "メッセージ"},
    {"end, {1} s", "終わり、{1} 秒"},
    {"end {1} s", "終わり {1} 秒"},
    {"the record stops, {1} s", "記録の終わり、{1} 秒"},
    {"record stops {1} s", "記録の終わり {1} 秒"},
    {"pause", "待ち"},
    {"command to the module", "W-SIM へのコマンド"},
    {"reply", "応答"},
    {"nothing read", "応答なし"},
    {"look for the map window: none", "地図アプリの画面を探す（なし）"},
    {"map window found", "地図アプリの画面あり"},
    {"close request or start of the map", "地図アプリの終了依頼か起動"},
    {"other call", "その他の呼び出し"},
    {"failed close request or start", "失敗した終了依頼か起動"},
    {"failed call", "失敗した呼び出し"},
    {"key press", "キー操作"},
    {"attempt of the position query", "位置の問い合わせ（回数）"},
    {"message", "メッセージ"},
    {"end of the run", "実行の終わり"},
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
    {"{1}: {2}; identical up to there; {3}", "{1}。{2}。そこまでは記録どおりです。{3}"},
    {"{1}; identical up to there; {3}", "{1}。そこまでは記録どおりです。{3}"},
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

std::string LaneNameIn(ReportLanguage language, ChartLane lane) {
  static const char* const kJapaneseNames[kLaneCount] = {"地図アプリ", "データ接続", "W-SIM",
                                                         "インターネットとキー"};
  return language == kJapanese ? kJapaneseNames[lane] : ChartLaneName(lane);
}

std::string SystemNameIn(ReportLanguage language, const std::string& system) {
  if (language == kEnglish) return system;
  if (system == "handset") return "端末";
  if (system == "desktop") return "パソコン";
  if (system == "simulated") return "仮想の端末";
  return QuotedIn(language, system);
}
