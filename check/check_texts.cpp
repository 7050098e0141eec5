#include "check/check_texts.h"

namespace {

struct Texts {
  const char* kind;  // for warnings; null for parts of texts
  const char* english;
  const char* japanese;
};

const Texts kTexts[kCheckTextCount] = {
    {"triedFirst", "{1} sets {2}, not {3}: \"{2}=\" is tried first",
     "{1}は {3} ではなく {2} を設定します（「{2}=」が先に探されます）。"},
    {"noKey", "{1} matches no key and is ignored",
     "{1}はどの設定の名前にも当たらず、無視されます。"},
    {"fullWidthKey",
     "{1} is written in full-width characters, which the launcher does not read as a key: "
     "the line is ignored; write it in half-width characters: {2}",
     "{1}は全角の文字で書かれています。posrelay は設定の名前を半角の文字でしか読まないため、"
     "この行は無視されます。半角で {2} と書いてください。"},
    {"fullWidthEquals",
     "{1} has a full-width equals sign ({2}), so it matches no key and is ignored; write {3}",
     "{1}の等号が全角（{2}）のため、どの設定の名前にも当たらず、無視されます。半角で {3} と"
     "書いてください。"},
    {"keyCase",
     "{1} matches no key and is ignored: keys are written in lower case, as {2}; write {3}",
     "{1}はどの設定の名前にも当たらず、無視されます。設定の名前は {2} のように小文字で書きます。"
     "{3} と書いてください。"},
    {"blankBeforeEquals",
     "{1} matches no key and is ignored: the launcher looks for \"{2}=\", with nothing between "
     "the key and \"=\"; write {3}",
     "{1}はどの設定の名前にも当たらず、無視されます。posrelay は名前と「=」の間に何もない"
     "「{2}=」の形を探します。{3} と書いてください。"},
    {"colonForEquals",
     "{1} has {2} between {3} and its value, where the launcher looks for \"=\": it ignores the "
     "line, so {3} stays {4}; write {5}",
     "{1}は {3} と値の間が「=」ではなく{2}です。posrelay はこの行を無視し、{3} は{4}のままです。"
     "{5} と書いてください。"},
    {"noEquals",
     "{1} has only blanks between {2} and its value, where the launcher looks for \"=\": it "
     "ignores the line, so {2} stays {3}; write {4}",
     "{1}は {2} と値の間に「=」がなく、空白だけです。posrelay はこの行を無視し、{2} は{3}の"
     "ままです。{4} と書いてください。"},
    {"looksLikeComment", "{1} looks like a comment, yet sets {2}: the file has no comment syntax",
     "{1}はコメントのように見えますが、{2} を設定します（このファイルにコメントの書き方は"
     "ありません）。"},
    {"fullWidthDigits",
     "{1} value {2} has full-width digits, which are not read as digits: read as {3}; write {4}",
     "{1} の値{2}の数字が全角で、数字として読まれません。{3} と読まれます。半角で {4} と"
     "書いてください。"},
    {"noDigits", "{1} value {2} has no digits; read as 0",
     "{1} の値{2}に数字がなく、0 と読まれます。"},
    {"textAfterDigits",
     "{1} value {2} has {3} after its digits, which is not read: read as {4}; write {5}",
     "{1} の値{2}は数字のあとに{3}があり、そこは読まれません。{4} と読まれます。{5} と"
     "書いてください。"},
    {"unit",
     "{1} value {2} has the unit {3} after its digits, which is not read: read as {4}, that is "
     "{4} ms; {1} counts milliseconds, so for {5} write {6}",
     "{1} の値{2}は数字のあとに単位{3}があり、そこは読まれません。{4} と読まれ、{4} ミリ秒に"
     "なります。{1} はミリ秒で数えるため、{5}なら {6} と書いてください。"},
    {"decimalPoint",
     "{1} value {2} has a decimal point: only whole numbers are read, so it reads as {3} "
     "(pauses are in milliseconds: 1.5 seconds is 1500)",
     "{1} の値{2}に小数点があります。整数しか読まれないため、{3} と読まれます"
     "（待ち時間はミリ秒で書きます。1.5 秒なら 1500）。"},
    {"thousandsSeparator",
     "{1} value {2} has a thousands separator, where reading stops: read as {3}; write {4}",
     "{1} の値{2}に桁区切りのコンマがあり、そこで読み終わるため {3} と読まれます。"
     "{4} と書いてください。"},
    {"blankAtEnds",
     "{1} value {2} has a half-width blank at its {3}, which the launcher keeps as part of the "
     "{4}{5}; write {6}",
     "{1} の値{2}の{3}に半角の空白があり、{4}の一部として読まれます{5}。空白を付けずに {6} と"
     "書いてください。"},
    {"fullWidthBlankAtEnds",
     "{1} value {2} has a full-width blank (U+3000) at its {3}, which the launcher keeps as part "
     "of the {4}: {5}; write {6}",
     "{1} の値{2}の{3}に全角の空白があり、{4}の一部として読まれます。{5}。空白を付けずに {6} と"
     "書いてください。"},
    {"fullWidthInValue",
     "{1} value {2} holds full-width characters ({3}), which the launcher reads as they are, not "
     "as their half-width forms: {4}; write {5}",
     "{1} の値{2}に全角の{3}があります。posrelay はこれを半角の文字としては読まず、そのまま"
     "読みます。{4}。半角で {5} と書いてください。"},
    {"fullWidthInNumber", "{1} value {2} holds full-width characters ({3}): read as {4}; write {5}",
     "{1} の値{2}に全角の{3}があります。{4} と読まれます。半角で {5} と書いてください。"},
    {"equalsInValue",
     "{1} value {2} holds \"=\", where the launcher ends the value: {1} becomes {3}, since a "
     "{4} in posrelay.ini cannot hold \"=\"{5}",
     "{1} の値{2}に「=」があり、posrelay はそこで値を区切るため、{1} は{3}になります。"
     "posrelay.ini の{4}に「=」は使えません{5}。"},
    {"comportNoColon",
     "comport value {1} has no colon at its end: the handset's port names end in \":\", so the "
     "module's port does not open and the run ends with the message that no position came; "
     "write comport={2}",
     "comport の値{1}の最後に「:」がありません。端末のポート名は「:」で終わるため W-SIM の"
     "ポートが開かず、位置情報取得の失敗のメッセージで終わります。comport={2} と書いてください。"},
    {"pastFirstPiece",
     "the part past its first {2} bytes is read as a line of its own and sets {1}",
     "{2} バイトを超えた後ろの部分が別の行として読まれ、{1} を設定します。"},
    {"noValue", "{1} has no value; left unchanged", "{1} の値がなく、前の値のままです。"},
    {"tooLong",
     "{1} value longer than {2} characters or than the line's first {3} bytes; left unchanged",
     "{1} の値が {2} 文字より長いか、行の初めの {3} バイトに収まらないため、使われません。"},
    {"setTwice", "{1} set more than once (lines {2}); the last one holds",
     "{1} が何度も設定されています（{2} 行目）。最後の行の値が使われます。"},
    {"negativePause", "{1} is negative ({2}); taken as 0 ms",
     "{1} がマイナス（{2}）です。0 ミリ秒として扱います。"},
    {"noChecks",
     "waitloop is {1}: no check for the map window, so closing or starting the map always ends "
     "in a timeout message",
     "waitloop が {1} のため地図アプリの画面を一度も確かめず、地図アプリの終了も起動も必ず"
     "タイムアウトのメッセージで終わります。"},
    {"waitZero",
     "wait is 0: no pause between the checks for the map window, so a map that takes any time "
     "to close or to show its window ends the run in a timeout message",
     "wait が 0 のため、地図アプリの画面を確かめる合間に待ちません。地図アプリの終了や画面の"
     "表示に少しでも時間がかかると、タイムアウトのメッセージで終わります。"},
    {"mapWaitShort",
     "wait {1} and waitloop {2} look for the map's window for only {3} after starting the "
     "map{4}, where a handset's map takes about {5} to start or close: the run would end in a "
     "timeout message; "
     "write {6} or more",
     "wait {1} と waitloop {2} では、地図アプリを起動してから {3}{4}しか画面を確かめません。"
     "端末の地図アプリは起動や終了におよそ "
     "{5}かかるため、タイムアウトのメッセージで終わります。{6} 以上に"
     "してください。"},
    {"longRun",
     "the longest run takes {1}, over 10 minutes, with {2}; the handset shows nothing all that "
     "time",
     "{2}では 1 回の実行が最長で {1}かかり、10 分を超えます。その間、端末には何も表示されません。"},
    {"gresetOther", "greset is {1}: only 1 closes a running map; {1} leaves it running, as 0 does",
     "greset が {1} です。起動中の地図アプリを終了させるのは 1 のときだけで、{1} は 0 と同じく"
     "そのままにします。"},
    {"carriageReturnAlone",
     "{1} has lines ended by a carriage return (CR) alone, which the launcher does not take as "
     "line ends: it reads them as one line, which only sets {2} to {3} (written on it: {4}); save "
     "the file with CR LF line ends",
     "{1}は行の終わりが CR だけで、posrelay はこれを行の終わりとみなしません。全体を 1 行として"
     "読み、{2} を {3} にするだけです（書かれている設定は {4}）。行の終わりを CR LF にして保存"
     "してください。"},
    {"gpathQuoted",
     "gpath value {1} is in double quotes, which the launcher keeps as part of the path: the map "
     "cannot be started; write the path without quotes",
     "gpath の値{1}が「\"」で囲まれています。「\"」もパスの一部として読まれ、地図アプリを"
     "起動できません。「\"」を付けずに書いてください。"},
    {"gpathNotFromRoot",
     "gpath value {1} does not start with \"\\\": the handset takes it from its root, as {2}; "
     "write gpath={2}",
     "gpath の値{1}が「\\」で始まっていません。端末はこれを最上位のフォルダーから {2} として"
     "探します。gpath={2} と書いてください。"},
    {"gpathDrive",
     "gpath value {1} starts with a drive ({2}), which the handset does not have: the map cannot "
     "be started; its paths start with \"\\\", as in gpath={3}",
     "gpath の値{1}がドライブ（{2}）で始まっています。端末にドライブはなく、地図アプリを起動"
     "できません。パスは gpath={3} のように「\\」から始めてください。"},
    {"gpathSlash",
     "gpath value {1} has \"/\" where the handset's paths have \"\\\"; write gpath={2}",
     "gpath の値{1}に「/」があります。端末のパスの区切りは「\\」です。gpath={2} と書いて"
     "ください。"},
    {"gpathNoNameCharacter",
     "gpath value {1} holds {2}, which no file name can hold: the map cannot be started",
     "gpath の値{1}にファイル名に使えない文字{2}があり、地図アプリを起動できません。"},
    {"dryRunRefuses",
     "{1} is {2}, over {3}: no dry run or replay is made with it, since it would show every "
     "check or key press one by one",
     "{1} が {2} で {3} を超えるため、この設定では試運転も実行記録の再生もしません"
     "（確かめるたび、キーを押すたびに 1 行ずつ表示することになるため）。"},
    {"utf16",
     "the file is UTF-16, not Shift-JIS: the launcher reads none of its settings; save it as "
     "Shift-JIS",
     "ファイルが Shift-JIS ではなく UTF-16 で保存されています。設定がひとつも読まれません。"
     "Shift-JIS で保存してください。"},
    {"utf8",
     "the file is UTF-8, not Shift-JIS, and the launcher reads this line otherwise than it is "
     "written: as {1}; save the file as Shift-JIS",
     "ファイルが Shift-JIS ではなく UTF-8 で保存されているため、この行は書かれたとおりに"
     "読まれず、{1}と読まれます。Shift-JIS で保存してください。"},
    {"notShiftJis",
     "{1} value {2} holds bytes that are no Shift-JIS character ({3}), which the launcher reads "
     "as other characters than were written: {4}; save the file as Shift-JIS",
     "{1} の値{2}に Shift-JIS の文字ではないバイト（{3}）があり、書いたものとは別の文字として"
     "読まれます。{4}。Shift-JIS で保存してください。"},
    {nullptr, "line {1}: ", "{1} 行目: "},
    {nullptr, "lines {1}", "{1} 行目"},
    {nullptr, "{1} {2} (line {3})", "{1} {2}（{3} 行目）"},
    {nullptr, ", ", "、"},
    {nullptr, "start", "先頭"},
    {nullptr, "end", "末尾"},
    {nullptr, "start and end", "先頭と末尾"},
    {nullptr, "path", "パス"},
    {nullptr, "port name", "ポート名"},
    {nullptr, ": move or rename the map so that its path has none",
     "。「=」のない名前のフォルダーとファイルに地図アプリを置いてください"},
    {nullptr, "a colon (\":\")", "半角のコロン（:）"},
    {nullptr, "a full-width colon (\"：\")", "全角のコロン（：）"},
    {nullptr, "at its default, {1}", "標準の値（{1}）"},
    {nullptr, "at {1}, from line {2}", "それまでの値（{1}、{2} 行目）"},
    {nullptr, "blank", "空白"},
    {nullptr, "the handset has no file of that name, so the map cannot be started",
     "端末にその名前のファイルはなく、地図アプリを起動できません"},
    {nullptr,
     "the handset has no port of that name, so the module's port does not open and the run ends "
     "with the message that no position came",
     "端末にその名前のポートはなく、W-SIM のポートが開かないため、位置情報取得の失敗の"
     "メッセージで終わります"},
    {nullptr, ": whether the handset's file system drops it is not known, so the map may not start",
     "。端末のファイルシステムがこれを取り除くかはわからず、地図アプリを起動できないかも"
     "しれません"},
    {nullptr, "The dry run takes the map to be at {1}, the path gpath names.",
     "この試運転では、地図アプリは gpath の示す{1}にあるものとしています。"},
    {nullptr, "The dry run takes the map to be at its default path, {1}, whatever gpath names.",
     "この試運転では、gpath にかかわらず、地図アプリは標準の場所{1}にあるものとしています。"},
    {nullptr, "The dry run takes the map to be at {1}.",
     "この試運転では、地図アプリは{1}にあるものとしています。"},
    {nullptr, "The dry run takes the map to be missing from the handset.",
     "この試運転では、地図アプリが端末にないものとしています。"},
    {nullptr,
     "gpath holds bytes that are no Shift-JIS character, so the dry run cannot tell which path "
     "was meant: it takes it that the handset has no file of the name the launcher reads.",
     "gpath に Shift-JIS の文字ではないバイトがあるため、どのパスのつもりかはこの試運転には"
     "わかりません。posrelay が読んだ名前のファイルは端末にないものとしています。"},
    {nullptr,
     "gpath ends in a half-width blank: the dry run takes it that the handset drops it and "
     "finds the map; whether it does is not known.",
     "gpath の末尾に半角の空白があります。この試運転では端末がこれを取り除いて地図アプリを"
     "見つけるものとしていますが、実際にそうなるかはわかりません。"},
    {nullptr, " and {1} after asking it to close", "、終了させてから {1}"},
    {nullptr, "{1} ms", "{1} ミリ秒"},
    {nullptr, "{1} is {2}, over the {3} checks or key presses a dry run shows one by one",
     "{1} が {2} で、試運転で 1 つずつ表示できる {3} 回を超えています"},
    {nullptr, "; ", "。"},
    {nullptr, "{1}, as the launcher reads it:", "{1} を posrelay が読んだ結果:"},
    {nullptr, "default", "標準"},
    {nullptr, "line {1}", "{1} 行目"},
    {nullptr, "warning: ", "警告: "},
    {nullptr, "run time, counting only the launcher's own pauses:",
     "実行時間（posrelay 自身が待つ時間だけを数えたもの）:"},
    {nullptr, "shortest run", "最短の実行"},
    {nullptr, " (the map is not running and the module's port does not open)",
     "（地図アプリが起動しておらず、W-SIM のポートが開かないとき）"},
    {nullptr, "shortest normal end", "最短で地図が出るまで"},
    {nullptr,
     " (no data connection to hang up, the module gives its position at once, the map's window "
     "is there at once{1})",
     "（切るデータ接続がなく、W-SIM がすぐに位置を返し、地図アプリの画面がすぐに出る{1}"
     "とき）"},
    {nullptr, ", and the internet is not reached, so no zoom or clear",
     "が、インターネットにつながらずズームも表示の消去もしない"},
    {nullptr, "none: the map cannot be closed or started",
     "なし（地図アプリを終了することも起動することもできません）"},
    {nullptr, "longest run", "最長の実行"},
    {nullptr, "{1} s", "{1} 秒"},
    {nullptr, "about {1} ({2})", "約 {1}（{2}）"},
    {nullptr, "about {1}", "約 {1}"},
    {nullptr, "{1} h", "{1} 時間"},
    {nullptr, "{1} min", "{1} 分"},
    {nullptr, "{1} s", "{1} 秒"},
};

}  // namespace

const char* WarningKindName(CheckText text) { return kTexts[text].kind; }

std::string CheckTextIn(ReportLanguage language, CheckText text,
                        std::initializer_list<std::string> arguments) {
  return TextIn(language, kTexts[text].english, kTexts[text].japanese, arguments);
}
