// The owner's page: reads posrelay.ini and posrelay.trace with posrelay-sim's
// own parts (WebAssembly, page_api.cpp) and shows what they find. Files are
// handed over as their raw bytes, as they lie on the handset.
'use strict';

// Every text of the page itself, in Japanese and in English.
const TEXTS = {
  ja: {
    otherLanguage: 'English',
    title: 'posrelay 設定ファイルと実行記録の確認',
    intro: 'このページはインターネットに接続せずに動きます。選んだファイルはこのパソコンの中だけで読み、どこにも送信しません。',
    loading: '準備しています…',
    loadFailed: 'このページを動かせませんでした。新しいブラウザーで開き直してください。',
    settingsHeading: '設定ファイル（posrelay.ini）',
    settingsIntro: 'posrelay.ini を選ぶと、端末と同じ読み方（Shift-JIS、Windows のコードページ 932）で読み込み、各設定の値とそれを決めた行、注意点、1 回の実行にかかる時間、仮想の端末での試運転の結果を表示します。',
    pickSettings: 'posrelay.ini を選ぶ',
    settingsTable: '読み取った設定',
    key: '設定',
    value: '値',
    setBy: '決めた行',
    lineNumber: (n) => `${n} 行目`,
    defaultValue: '標準の値（ファイルに指定なし）',
    warningsHeading: '注意点',
    noWarnings: '注意点はありません。',
    wholeFile: 'ファイル全体',
    runTimeHeading: '1 回の実行にかかる時間（posrelay 自身の待ち時間だけを数えたもの）',
    quoted: (value) => `「${value}」`,
    dryRunHeading: '試運転',
    dryRunIntro: 'この設定ファイルを置いた仮想の端末で posrelay を 1 回動かした結果です。端末の状態を選び替えることができます。',
    situation: '端末の状態',
    normal: '標準（地図アプリは起動していない）',
    mapRunning: '地図アプリが起動している',
    slowModule: 'W-SIM の応答が遅い',
    noPosition: '位置が取れない',
    mapMissing: '地図アプリが見つからない',
    mapAtDefault: '地図アプリは標準の場所にある（gpath にかかわらず）',
    slowMap: (seconds) => `地図アプリの起動に ${seconds} 秒かかる（実際の端末と同じ）`,
    summaryHeading: '結果のまとめ',
    chartHeading: '時間の流れ（図の印にマウスを重ねると詳細が出ます）',
    recordedChartHeading: '記録された実行の流れ（図の印にマウスを重ねると詳細が出ます）',
    allOperations: 'すべての操作を表示',
    dryRunRefused: '試運転できません：',
    traceHeading: '実行の記録（posrelay.trace）',
    traceIntro: '端末で記録した posrelay.trace を選ぶと、記録されたとおりに posrelay の処理をもう一度たどり、同じ動きになるかを確かめます。',
    pickTrace: 'posrelay.trace を選ぶ',
    picked: (name, time) => `${name} を読み込みました（${time}）`,
    traceRefused: 'この記録は再生できません：',
    details: '詳細：',
    failed: 'ファイルを読む途中で問題が起きました：',
    footer: 'このページは posrelay のソースから作られています。設定の読み方、試運転、記録の再生には、posrelay 本体と同じ処理を使っています。',
  },
  en: {
    otherLanguage: '日本語',
    title: 'posrelay: check the settings file and read a trace',
    intro: 'This page works without an internet connection. The files you pick are read on this computer only and sent nowhere.',
    loading: 'Getting ready…',
    loadFailed: 'This page could not start. Open it again in a recent browser.',
    settingsHeading: 'The settings file (posrelay.ini)',
    settingsIntro: 'Pick posrelay.ini: it is read as the handset reads it (Shift-JIS as Windows code page 932), and each setting is shown with the line that set it, with warnings, the time a run can take and a dry run on a simulated handset.',
    pickSettings: 'Pick posrelay.ini',
    settingsTable: 'The settings as read',
    key: 'Setting',
    value: 'Value',
    setBy: 'Set by',
    lineNumber: (n) => `line ${n}`,
    defaultValue: 'default (not in the file)',
    warningsHeading: 'Warnings',
    noWarnings: 'No warnings.',
    wholeFile: 'whole file',
    runTimeHeading: "Time a run takes (counting only posrelay's own pauses)",
    quoted: (value) => `"${value}"`,
    dryRunHeading: 'Dry run',
    dryRunIntro: 'posrelay run once on a simulated handset with this settings file. Pick another state of the handset to see how the run changes.',
    situation: 'The handset',
    normal: 'default (the map is not running)',
    mapRunning: 'the map is running',
    slowModule: 'a slow module',
    noPosition: 'no position',
    mapMissing: 'the map is missing',
    mapAtDefault: 'the map is at its default path, whatever gpath says',
    slowMap: (seconds) => `the map takes ${seconds} s to start, as on a handset`,
    summaryHeading: 'Summary',
    chartHeading: 'The run over time (hover over a mark for its details)',
    recordedChartHeading: 'The recorded run over time (hover over a mark for its details)',
    allOperations: 'Every operation',
    dryRunRefused: 'No dry run: ',
    traceHeading: 'A trace of a run (posrelay.trace)',
    traceIntro: 'Pick a posrelay.trace recorded on the handset: posrelay runs again against the recording, which tells whether it does exactly what was recorded.',
    pickTrace: 'Pick posrelay.trace',
    picked: (name, time) => `Read ${name} at ${time}`,
    traceRefused: 'This trace cannot be replayed: ',
    details: 'Details: ',
    failed: 'Something went wrong while reading the file: ',
    footer: "This page is built from posrelay's sources: it reads settings, makes dry runs and replays traces with the launcher's own code.",
  },
};

// The handset's states for the dry run, as posrelay-sim's scenarios: only
// what differs from the default handset. The simulated map starts at once;
// the slow one takes as long as the settings check reckons a handset's map
// takes, known once the module is loaded.
const SITUATIONS = [
  ['normal', () => ({})],
  ['mapRunning', () => ({map: {running: true}})],
  ['slowModule', () => ({module: {identification: ''}})],
  ['noPosition', () => ({module: {positionReplies: ['\r\nERROR\r\n']}})],
  ['mapMissing', () => ({map: {executableExists: false}})],
  ['mapAtDefault', () => ({map: {installedAt: '\\Program Files\\GoogleMaps\\GoogleMaps.exe'}})],
  ['slowMap', (mapMs) => ({map: {appearsAfterMs: mapMs}})],
];

const state = {
  language: 'ja',
  module: null,
  settingsBytes: null,
  picked: {},  // the input's id: the name of the file read with it, and when
  situation: 'normal',
  handsetMapMs: null,
  traceBytes: null,
};

function text(key) {
  return TEXTS[state.language][key];
}

function situationLabel(name) {
  return name === 'slowMap' ? text(name)(state.handsetMapMs / 1000) : text(name);
}

function element(id) {
  return document.getElementById(id);
}

function make(tag, className, content) {
  const node = document.createElement(tag);
  if (className) node.className = className;
  if (content !== undefined) node.textContent = content;
  return node;
}

// Calls one of page_api.cpp's functions with the bytes on the module's heap.
function callWithBytes(name, bytes, extraTypes, extraArguments) {
  const module = state.module;
  const at = module._malloc(Math.max(bytes.length, 1));
  try {
    module.HEAPU8.set(bytes, at);
    const answer = module.ccall(name, 'string', ['number', 'number', ...extraTypes],
                                [at, bytes.length, ...extraArguments]);
    return JSON.parse(answer);
  } finally {
    module._free(at);
  }
}

// A long run lists tens of thousands of operations: the list is made when
// its <details> is opened, by `list` (one of page_api.cpp's functions, for
// the run shown last), and made again after each new run shown.
function listWhenOpened(pre, list) {
  const details = pre.closest('details');
  pre.textContent = '';
  details.ontoggle = () => {
    if (!details.open || pre.textContent) return;
    pre.textContent = state.module.ccall(list, 'string', [], []);
  };
  details.ontoggle();
}

function showChart(container, svgText) {
  const svg = new DOMParser().parseFromString(svgText, 'image/svg+xml').documentElement;
  container.replaceChildren(document.importNode(svg, true));
}

function showSettings(check) {
  const rows = element('settings');
  rows.replaceChildren();
  for (const [key, setting] of Object.entries(check.settings)) {
    const row = make('tr');
    row.append(make('td', '', key));
    // Texts as the handset reads them, quoted so that blanks at their ends show.
    const value = typeof setting.value === 'string' ? text('quoted')(setting.value)
                                                    : String(setting.value);
    row.append(make('td', 'value', value));
    row.append(setting.line ? make('td', '', text('lineNumber')(setting.line))
                            : make('td', 'default', text('defaultValue')));
    rows.append(row);
  }
  const warnings = element('warnings');
  warnings.replaceChildren();
  if (check.warnings.length === 0) warnings.append(make('li', 'none', text('noWarnings')));
  for (const warning of check.warnings) {
    const item = make('li');
    item.dataset.line = warning.line;
    item.dataset.kind = warning.kind;
    item.append(make('span', 'where',
                     warning.line ? text('lineNumber')(warning.line) : text('wholeFile')));
    item.append(warning.message);
    warnings.append(item);
  }
  // The times and what they assume, as posrelay-sim's check writes them.
  const times = element('run-time');
  times.replaceChildren();
  for (const row of check.runTimeRows) {
    const value = make('dd');
    value.append(make('span', 'time', row.value));
    if (row.assumption) value.append(make('span', 'assumption', row.assumption));
    times.append(make('dt', '', row.label), value);
  }
}

function showDryRun() {
  const scenario = SITUATIONS.find(([name]) => name === state.situation)[1](state.handsetMapMs);
  const run = callWithBytes('posrelay_dry_run', state.settingsBytes, ['string', 'string'],
                            [JSON.stringify(scenario), state.language]);
  element('dry-run-problem').hidden = !run.problem;
  element('dry-run').hidden = Boolean(run.problem);
  if (run.problem) {
    element('dry-run-problem').textContent = text('dryRunRefused') + run.problem;
    return;
  }
  // The summary, then where the run took the map to be.
  element('dry-run-summary').textContent = run.summary + run.mapPlace;
  showChart(element('dry-run-chart'), run.svg);
  listWhenOpened(element('dry-run-timeline'), 'posrelay_dry_run_operations');
}

function checkSettings() {
  if (!state.settingsBytes) return;
  showSettings(callWithBytes('posrelay_check', state.settingsBytes, ['string'], [state.language]));
  showDryRun();
  element('settings-result').hidden = false;
}

function replayTrace() {
  if (!state.traceBytes) return;
  const replay = callWithBytes('posrelay_replay', state.traceBytes, ['string'], [state.language]);
  element('trace-problem').hidden = !replay.problem;
  element('trace-result').hidden = Boolean(replay.problem);
  if (replay.problem) {
    element('trace-problem').textContent = text('traceRefused') + replay.problem;
    return;
  }
  const verdict = element('trace-verdict');
  verdict.textContent = replay.headline;
  verdict.className = 'verdict ' + ({identical: 'good', divergence: 'bad'}[replay.result.replay] ||
                                    'partial');
  element('trace-detail').replaceChildren(make('span', 'detail', text('details')), replay.verdict);
  element('trace-origin').textContent = replay.origin;
  element('trace-summary').textContent = replay.summary;
  showChart(element('trace-chart'), replay.svg);
  listWhenOpened(element('trace-report'), 'posrelay_replay_operations');
}

function showSituations() {
  const fieldset = element('situations');
  fieldset.querySelectorAll('label').forEach((label) => label.remove());
  for (const [name] of SITUATIONS) {
    if (name === 'slowMap' && state.handsetMapMs === null) continue;
    const choice = make('input');
    choice.type = 'radio';
    choice.name = 'situation';
    choice.value = name;
    choice.checked = name === state.situation;
    choice.addEventListener('change', () => {
      state.situation = name;
      showDryRun();
    });
    const label = make('label');
    label.append(choice, ' ' + situationLabel(name));
    fieldset.append(label);
  }
}

function showTexts() {
  document.documentElement.lang = state.language;
  document.title = text('title');
  for (const node of document.querySelectorAll('[data-text]')) {
    node.textContent = text(node.dataset.text);
  }
  element('language').textContent = text('otherLanguage');
  showSituations();
  showPickedNames();
  if (state.module) element('status').hidden = true;
  checkSettings();
  replayTrace();
}

// The picked file's bytes as they are on disk now. The input is emptied
// after each reading, so that picking the same file again, edited or not,
// reads it again: a browser tells of a pick only when the choice changes.
async function readPicked(input) {
  const file = input.files[0];
  const bytes = file ? new Uint8Array(await file.arrayBuffer()) : null;
  input.value = '';
  if (file) state.picked[input.id] = {name: file.name, at: new Date()};
  showPickedNames();
  return bytes;
}

// Which file each part of the page shows, and when it was read: a file
// picked again shows the time of its new reading.
function showPickedNames() {
  for (const [id, picked] of Object.entries(state.picked)) {
    const time = picked.at.toLocaleTimeString(state.language === 'ja' ? 'ja-JP' : 'en-GB');
    element(id.replace('-file', '-picked')).textContent = text('picked')(picked.name, time);
  }
}

// Shows a picked file, or what went wrong; then counts the files shown, for
// whoever waits for one (the test).
function showPicked(show) {
  try {
    show();
    element('status').hidden = true;
  } catch (error) {
    element('status').hidden = false;
    element('status').textContent = text('failed') + error;
  }
  document.body.dataset.filesShown = Number(document.body.dataset.filesShown || 0) + 1;
}

// The settings file or the trace, whichever the dropped file is: the part
// of the page it lands on says so, else its name. Either way the browser
// does not open it in place of the page.
function takeDropped(event) {
  event.preventDefault();
  const file = event.dataTransfer.files[0];
  if (!file || !state.module) return;
  const section = event.target.closest && event.target.closest('section');
  const onTrace = section ? section.contains(element('trace-file'))
                          : /\.trace$/i.test(file.name);
  const input = element(onTrace ? 'trace-file' : 'settings-file');
  const picked = new DataTransfer();
  picked.items.add(file);
  input.files = picked.files;
  input.dispatchEvent(new Event('change'));
}

function start() {
  showTexts();
  element('language').addEventListener('click', () => {
    state.language = state.language === 'ja' ? 'en' : 'ja';
    showTexts();
  });
  element('settings-file').addEventListener('change', async (event) => {
    state.settingsBytes = await readPicked(event.target);
    showPicked(checkSettings);
  });
  element('trace-file').addEventListener('change', async (event) => {
    state.traceBytes = await readPicked(event.target);
    showPicked(replayTrace);
  });
  document.addEventListener('dragover', (event) => event.preventDefault());
  document.addEventListener('drop', takeDropped);
  PosrelayModule().then((module) => {
    state.module = module;
    state.handsetMapMs = module.ccall('posrelay_handset_map_ms', 'number', [], []);
    showSituations();
    element('status').hidden = true;
    element('settings-file').disabled = false;
    element('trace-file').disabled = false;
    // The moment the page is ready, on its own clock from the request.
    performance.mark('posrelay-ready');
    document.body.dataset.ready = 'true';
  }, () => {
    element('status').dataset.text = 'loadFailed';
    element('status').textContent = text('loadFailed');
  });
}

start();
