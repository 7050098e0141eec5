// posrelay.html in Debian's Chromium, from disk and offline, as an owner
// uses it: a settings file with a trap, the Japanese sample, recorded
// traces. Any script error, or any request for something other than the
// page's own file, fails the run.
// POSRELAY_PAGE=build/page/posrelay.html POSRELAY_SOURCE_DIR=. node --test page_test.mjs
import assert from 'node:assert/strict';
import {mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync} from 'node:fs';
import {tmpdir} from 'node:os';
import path from 'node:path';
import {after, before, test} from 'node:test';
import {pathToFileURL} from 'node:url';

import {chromium} from 'playwright-core';

const pagePath = process.env.POSRELAY_PAGE;
const sourceDir = process.env.POSRELAY_SOURCE_DIR;
const pageUrl = pathToFileURL(pagePath).href;
const faults = [];
let profile;
let context;
let page;

function sample(name) {
  return readFileSync(path.join(sourceDir, 'samples', name));
}

// The settings lines owners write, each with the warnings it must give: the
// table posrelay-sim's check is tested with too.
const settingsLines =
    JSON.parse(readFileSync(path.join(sourceDir, 'tests/posrelay_sim/check/settings_lines.json')));

function fileOf(entry) {
  return Buffer.from(entry.bytes.replaceAll(' ', ''), 'hex');
}

// Does what gives the page a file and waits until the page has shown it.
async function untilShown(give) {
  const shown = await page.evaluate(() => Number(document.body.dataset.filesShown || 0));
  await give();
  await page.waitForFunction((before) => Number(document.body.dataset.filesShown) > before, shown,
                             {timeout: 10000})
      .catch(() => assert.fail('the page did not show the file it was given'));
}

// Gives the page a file, as an owner picking it, and waits until it is shown.
async function pick(input, name, buffer) {
  await untilShown(() => page.setInputFiles(
      input, {name, mimeType: 'application/octet-stream', buffer}));
}

// The same with a file on disk, by its path.
async function pickPath(input, filePath) {
  await untilShown(() => page.setInputFiles(input, filePath));
}

// Drops a file on the element `target` finds, as dragged from a folder.
async function drop(target, name, buffer) {
  const files = await page.evaluateHandle(([name, bytes]) => {
    const files = new DataTransfer();
    files.items.add(new File([new Uint8Array(bytes)], name));
    return files;
  }, [name, [...buffer]]);
  await untilShown(() => page.dispatchEvent(target, 'drop', {dataTransfer: files}));
}

// English prose in a text of the Japanese page, one finding a line: three
// or more English words in a row. Names and values are no prose and are
// left out first: values quoted with 「」 or "...", tokens with "=", "_",
// "\\", "/" or "@" (field=value, operation names, paths, AT@ commands),
// file names and other AT commands.
function englishProse(text) {
  const findings = [];
  for (const line of text.split('\n')) {
    const prose = line.replace(/「[^」]*」|"(?:[^"\\]|\\.)*"/g, ' ')
                      .replace(/\S*[=_\\/@]\S*|\S+\.(?:ini|trace|exe|dll)\b|\bAT\w*/g, ' ');
    const words = prose.match(/[A-Za-z]+(?:[ ,;:]+[A-Za-z]+){2,}/);
    if (words) findings.push(`"${words[0]}" in: ${line.trim()}`);
  }
  return findings;
}

// Opens every <details>, and waits for the lists made as they open: the
// toggle events come after the call that opens them.
async function openEveryDetails() {
  await page.evaluate(() => {
    document.querySelectorAll('details').forEach((details) => { details.open = true; });
  });
  await page.waitForFunction(() => [...document.querySelectorAll('details')].every(
      (details) => details.closest('[hidden]') || details.querySelector('pre').textContent));
}

// Everything the page shows, with every <details> opened, and the chart's
// texts and tooltips (SVG <title>).
async function visibleTexts() {
  await openEveryDetails();
  return page.evaluate(() => {
    const chart = [...document.querySelectorAll('svg text, svg title')].map((n) => n.textContent);
    return [document.title, document.body.innerText, ...chart];
  });
}

async function englishOnPage(what) {
  const findings = (await visibleTexts()).flatMap(englishProse);
  return findings.map((finding) => `${what}: ${finding}`);
}

// The whole page as it stands, in build/page/screenshots/, for people to look at.
async function screenshot(name) {
  const shots = path.join(path.dirname(pagePath), 'screenshots');
  mkdirSync(shots, {recursive: true});
  await page.screenshot({path: path.join(shots, name), fullPage: true});
}

async function textOf(selector) {
  return page.locator(selector).innerText();
}

// The settings table as {key: [value, set by]}.
async function settingsShown() {
  const rows = await page.locator('#settings tr').evaluateAll(
      (trs) => trs.map((tr) => [...tr.cells].map((cell) => cell.textContent)));
  return Object.fromEntries(rows.map(([key, value, line]) => [key, [value, line]]));
}

before(async () => {
  profile = mkdtempSync(path.join(tmpdir(), 'posrelay-page-'));
  context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    offline: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  context.on('request', (request) => {
    if (request.url() !== pageUrl) faults.push(`request for ${request.url()}`);
  });
  page = context.pages()[0] || await context.newPage();
  page.on('pageerror', (error) => faults.push(`script error: ${error.message}`));
  page.on('console', (message) => {
    if (message.type() === 'error') faults.push(`console error: ${message.text()}`);
  });
  const started = performance.now();
  await page.goto(pageUrl);
  await page.waitForSelector('body[data-ready="true"]');
  console.log(`page loaded and ready in ${Math.round(performance.now() - started)} ms`);
});

after(async () => {
  await context?.close();
  if (profile) rmSync(profile, {recursive: true, force: true});
});

test('a key hidden behind another one on its line is warned about, with its line', async () => {
  await pick('#settings-file', 'posrelay.ini', Buffer.from('waitloop=5 wait=3\r\ncomport=COM3:\r\n'));
  const settings = await settingsShown();
  // The value is what follows the line's first "=": "5 wait", read as 5.
  assert.deepEqual(settings.wait, ['5', '1 行目']);
  assert.deepEqual(settings.waitloop, ['10', '標準の値（ファイルに指定なし）']);
  assert.deepEqual(settings.comport, ['「COM3:」', '2 行目']);
  const warnings = await page.locator('#warnings li').allInnerTexts();
  assert.ok(warnings.some((w) => w.startsWith('1 行目') && w.includes('waitloop ではなく wait を設定します')),
            warnings.join('\n'));
  assert.match(await textOf('#run-time'), /最長の実行\n約 1 分 1 秒$/);
});

test('the Japanese sample: every setting from its line, no warning, a dry run', async () => {
  await pick('#settings-file', 'posrelay.ini', sample('ja/posrelay.ini'));
  const settings = await settingsShown();
  assert.deepEqual(settings.gpath, ['「\\Program Files\\GoogleMaps\\GoogleMaps.exe」', '14 行目']);
  assert.deepEqual(settings.comport, ['「COM1:」', '34 行目']);
  assert.deepEqual(await page.locator('#warnings li').allInnerTexts(), ['注意点はありません。']);
  assert.match(await textOf('#dry-run-summary'),
               /終わり: 3 秒で地図を表示して終わりました（北緯 35\.\d+ 度、東経 139\.\d+ 度）/);
  assert.equal(await page.locator('#dry-run-chart svg').count(), 1);
  await screenshot('ja-sample.png');
});

test('each situation of the handset runs again; a missing map ends in a message', async () => {
  await page.getByLabel('地図アプリが見つからない').check();
  assert.match(await textOf('#dry-run-summary'),
               /終わり: [\d.]+ 秒でメッセージ「モバイル Google マップの起動に失敗しました」を表示して終わりました/);
  await page.getByLabel('W-SIM の応答が遅い').check();
  assert.match(await textOf('#dry-run-summary'), /最大 50 回/);
  await page.getByLabel('標準（地図アプリは起動していない）').check();
  assert.match(await textOf('#dry-run-summary'), /終わり: .*地図を表示して終わりました/);
});

// The verdict is told once, as the headline; the details and the summary
// add what it lacks, and the chart's marks say what happened.
test('a recorded trace replays identical, with its chart and summary', async () => {
  await pick('#trace-file', 'posrelay.trace', sample('traces/normal_run.trace'));
  assert.equal(await textOf('#trace-verdict'), '記録どおりに再現できました。1.6 秒で地図を表示して' +
               '終わりました（北緯 35.692670 度、東経 139.750125 度）。');
  assert.match(await textOf('#trace-detail'), /^詳細：40 個の操作。記録された 1\.560 秒のうち/);
  // The summary under its heading, without a heading of its own, and
  // without the end, which the headline tells.
  assert.match(await textOf('#trace-summary'), /^位置: 1 回目の問い合わせで取れました/);
  assert.ok(!(await textOf('#trace-summary')).includes('終わり:'));
  // Which posrelay made the record: its version and build.
  assert.match(await textOf('#trace-origin'), /posrelay 1\.6\.0\.0（ビルド 841ca3b66147）/);
  assert.equal(await page.locator('#trace-chart svg').count(), 1);
  const tips = await page.locator('#trace-chart svg circle title').allTextContents();
  assert.ok(tips.includes('0 秒：地図アプリの画面を探しました（まだありません）'), tips.join('\n'));
  const expected = await page.locator('#trace-chart svg > path.expected title').allTextContents();
  assert.deepEqual(expected, ['0.1 秒：データ接続を切るための機能（「coredll.dll」）がありません。' +
                              'パソコンで記録した実行ではいつもこうなり、posrelay はデータ接続を切らずに進みます']);
  // The list of every operation is made as it is opened.
  assert.equal(await page.locator('#trace-report').textContent(), '');
  // The toggle event comes after the click returns: wait for the list.
  await page.locator('#trace-result summary').click();
  await page.waitForFunction(() => document.querySelector('#trace-report').textContent !== '');
  assert.match(await textOf('#trace-report'), /AT@LBC\?/);
});

test('a trace the launcher departs from shows where', async () => {
  const edited = sample('traces/normal_run.trace').toString().replace('wsimcon=100', 'wsimcon=500');
  await pick('#trace-file', 'posrelay.trace', Buffer.from(edited));
  assert.match(await textOf('#trace-verdict'), /記録と違う動きになりました（\d+ 番目の操作、記録ファイルの \d+ 行目）/);
  assert.match(await textOf('#trace-detail'), /^詳細：記録: .*sleep ms=500/);
  await pick('#trace-file', 'posrelay.trace', Buffer.from('not a trace\n'));
  assert.equal(await textOf('#trace-problem'), 'この記録は再生できません：このファイルは posrelay の' +
               '実行記録ではありません（1 行目が実行記録の始まりではありません）。');
  await pick('#trace-file', 'posrelay.ini', sample('ja/posrelay.ini'));
  assert.equal(await textOf('#trace-problem'), 'この記録は再生できません：これは設定ファイル' +
               '（posrelay.ini）で、実行記録ではありません。posrelay.trace を選んでください。');
});

// A run killed before the module gave a position is no success: its verdict,
// its summary and its chart say where the record stops, in each language,
// with what that most likely means and what to do; the operation's number
// only in the details.
test('an interrupted trace is told as interrupted, never as a map shown', async () => {
  await pick('#trace-file', 'posrelay.trace', sample('traces/interrupted.trace'));
  const interrupted = '記録は 7.5 秒で途切れています（位置はまだ取れていません）';
  const meaning = '記録ファイルのコピーが途中で止まったか、実行中に端末がリセットされたか電源が切れたと' +
                  '考えられます。端末から posrelay.trace をもう一度コピーしてください。それでも途切れて' +
                  'いるときは、posrelay をもう一度実行してください。';
  assert.equal(await textOf('#trace-verdict'),
               `記録のあるところまでは記録どおりです。${interrupted}。${meaning}`);
  assert.equal(await page.locator('#trace-verdict').getAttribute('class'), 'verdict partial');
  assert.match(await textOf('#trace-detail'), /^詳細：記録は 118 番目の操作のあとで止まっています。/);
  assert.match(await textOf('#trace-summary'),
               /位置: まだ取れていません（8 回目の問い合わせまでで記録が途切れています。最大 50 回）/);
  assert.equal(await page.locator('#trace-chart svg line.attempt').count(), 8 + 1);
  assert.equal(await page.locator('#trace-chart svg .caption').textContent(), interrupted);
  await screenshot('ja-interrupted-trace.png');
  // The first half of a whole run's bytes, as an interrupted copy leaves it.
  const whole = sample('traces/normal_run.trace');
  await pick('#trace-file', 'posrelay.trace', whole.subarray(0, whole.length / 2));
  assert.ok((await textOf('#trace-verdict')).endsWith(meaning));
  assert.match(await textOf('#trace-summary'), /位置: まだ取れていません（1 回目の問い合わせまでで/);
  assert.equal(await page.locator('#trace-chart svg line.attempt').count(), 1 + 1);
  await pick('#trace-file', 'posrelay.trace', sample('traces/interrupted.trace'));
  await page.click('#language');
  assert.equal(await page.locator('#trace-chart svg .caption').textContent(),
               'the record stops at 7.459 s, before any position');
  assert.match(await textOf('#trace-verdict'), /^Identical as far as the trace goes: the record stops/);
  await page.click('#language');
});

test('the Japanese page holds no English prose, whatever it is given', async () => {
  const findings = [];
  for (const settings of ['posrelay.ini', 'ja/posrelay.ini']) {
    await pick('#settings-file', 'posrelay.ini', sample(settings));
    const situations = page.locator('#situations input');
    for (let i = 0; i < await situations.count(); ++i) {
      await situations.nth(i).check();
      findings.push(...await englishOnPage(`${settings}, situation ${i + 1}`));
    }
    await situations.first().check();
  }
  const traces = ['traces', 'traces/v1'].flatMap(
      (folder) => readdirSync(path.join(sourceDir, 'samples', folder))
                      .filter((name) => name.endsWith('.trace'))
                      .map((name) => `${folder}/${name}`));
  const broken = sample('traces/normal_run.trace').toString().replace('"op":"sleep"', '"op":"sleep');
  for (const [name, bytes] of [...traces.map((trace) => [trace, sample(trace)]),
                               ['a damaged trace', Buffer.from(broken)],
                               ['posrelay.ini picked as a trace', sample('posrelay.ini')]]) {
    await pick('#trace-file', 'posrelay.trace', bytes);
    findings.push(...await englishOnPage(name));
  }
  assert.ok(traces.length >= 10, traces.join(', '));
  assert.deepEqual(findings, []);
});

test('English is one click away, and Japanese one more', async () => {
  await page.click('#language');
  assert.equal(await textOf('h1'), 'posrelay: check the settings file and read a trace');
  assert.equal(await page.locator('html').getAttribute('lang'), 'en');
  assert.match(await textOf('#settings'), /line 14/);
  assert.match(await textOf('#dry-run-summary'), /^position  .*\nmessage   none\nend: map shown at /);
  assert.match(await textOf('#trace-problem'),
               /^This trace cannot be replayed: This is a settings file \(posrelay.ini\), not a trace/);
  await page.click('#language');
  assert.equal(await textOf('#language'), 'English');
});

test('code page 932: the page reads and writes every code as posrelay-sim and Windows do', async () => {
  const {execFileSync} = await import('node:child_process');
  const python = execFileSync('python3', [path.join(sourceDir, 'simulator', 'cp932_table.py'), '--readings'],
                              {encoding: 'utf8'}).split('\n');
  const shown = (await page.evaluate(async () => {
    const module = await PosrelayModule();
    return JSON.parse(module.ccall('posrelay_cp932_readings', 'string', [], [])).readings;
  })).split('\n');
  assert.equal(shown.length, python.length);
  const different = shown.filter((line, i) => line !== python[i]);
  assert.deepEqual(different.slice(0, 20), [], `${different.length} codes read otherwise than Python reads them`);
  // Bytes, the character they read as, the bytes it is written back in:
  // ①, ～, －, ∥, ￢ and ㈱ of Windows, not of JIS, and its IBM extensions.
  for (const line of ['8740 2460 8740', '8160 FF5E 8160', '817C FF0D 817C', '8161 2225 8161',
                      '81CA FFE2 81CA', '878A 3231 878A', 'FA40 2170 FA40', 'EEEF 2170 FA40']) {
    assert.ok(shown.includes(line), line);
  }
});

test('each line of the settings table gives its warnings in Japanese, each with its line once', async () => {
  for (const entry of settingsLines.files) {
    await pick('#settings-file', 'posrelay.ini', fileOf(entry));
    const shown = await page.locator('#warnings li[data-kind]').evaluateAll(
        (items) => items.map((item) => [item.dataset.line, item.dataset.kind, item.textContent]));
    const kinds = {};
    for (const [line, kind, text] of shown) {
      (kinds[line] ??= []).push(kind);
      assert.equal(text.split('行目').length, 2, text);
      assert.ok(!text.includes('posrelay-sim') && !text.includes('\\"'), text);
      assert.deepEqual(englishProse(text), []);
    }
    assert.deepEqual(kinds, entry.warnings, entry.lines.join(' / '));
  }
});

test('a full-width line is told in Japanese, with what to write instead', async () => {
  const fullWidth = settingsLines.files.find((entry) => entry.lines[0] === 'ｗａｉｔ＝４０００');
  await pick('#settings-file', 'posrelay.ini', fileOf(fullWidth));
  assert.deepEqual(await page.locator('#warnings li').allInnerTexts(), [
    '1 行目「ｗａｉｔ＝４０００」は全角の文字で書かれています。posrelay は設定の名前を半角の' +
    '文字でしか読まないため、この行は無視されます。半角で wait=4000 と書いてください。']);
});

test('waits too short for a handset\'s map end in its timeout on the slow map', async () => {
  await pick('#settings-file', 'posrelay.ini', Buffer.from('wait=4\x95\x62\r\n', 'latin1'));
  const warnings = await page.locator('#warnings li').allInnerTexts();
  assert.ok(warnings.some((w) => w.includes('4 秒なら wait=4000 と書いてください')), warnings.join('\n'));
  assert.match(await textOf('#run-time'),
               /最短で地図が出るまで\n2 秒（切るデータ接続がなく、W-SIM がすぐに位置を返し/);
  await page.getByLabel('地図アプリの起動に 5 秒かかる（実際の端末と同じ）').check();
  assert.match(await textOf('#dry-run-summary'), /モバイル Google マップの起動でタイムアウトしました/);
  await page.screenshot({path: path.join(path.dirname(pagePath), 'screenshots', 'ja-slow-map.png'),
                         fullPage: true});
  await pick('#settings-file', 'posrelay.ini', Buffer.from('wait=4000\r\n'));
  assert.doesNotMatch(await textOf('#dry-run-summary'), /タイムアウト/);
  await page.getByLabel('標準（地図アプリは起動していない）').check();
});

test('a gpath the handset cannot start from ends the dry run as on the handset', async () => {
  const blankAtEnd = settingsLines.files.find((entry) => entry.warnings['1']?.[0] === 'fullWidthBlankAtEnds');
  await pick('#settings-file', 'posrelay.ini', fileOf(blankAtEnd));
  assert.match(await textOf('#warnings'), /末尾に全角の空白があり/);
  assert.match(await textOf('#dry-run-summary'), /「モバイル Google マップの起動に失敗しました」[^]*この試運転では、地図アプリは gpath の示す「\\Program Files\\GoogleMaps\\GoogleMaps\.exe」にあるものとしています。/);
  // A gpath saved in another encoding: what was meant is not known.
  const notShiftJis = settingsLines.files.find((entry) => entry.warnings['1']?.[0] === 'notShiftJis');
  await pick('#settings-file', 'posrelay.ini', fileOf(notShiftJis));
  assert.match(await textOf('#dry-run-summary'), /「モバイル Google マップの起動に失敗しました」[^]*どのパスのつもりかはこの試運転にはわかりません。/);
  // Where the owner is unsure where the map is: at its default path only.
  await pick('#settings-file', 'posrelay.ini', Buffer.from('gpath=\\Storage Card\\GM.exe\r\n'));
  assert.doesNotMatch(await textOf('#dry-run-summary'), /起動に失敗/);
  await page.getByLabel('地図アプリは標準の場所にある（gpath にかかわらず）').check();
  assert.match(await textOf('#dry-run-summary'), /起動に失敗[^]*gpath にかかわらず、地図アプリは標準の場所/);
  await page.getByLabel('標準（地図アプリは起動していない）').check();
});

test('settings a dry run does not run are refused in the owner\'s words', async () => {
  await pick('#settings-file', 'posrelay.ini', Buffer.from('waitloop=200000\r\n'));
  assert.equal(await textOf('#dry-run-problem'),
               '試運転できません：waitloop が 200000 で、試運転で 1 つずつ表示できる 100000 回を超えています');
  await page.click('#language');
  assert.equal(await textOf('#dry-run-problem'), 'No dry run: waitloop is 200000, over the ' +
                                                 '100000 checks or key presses a dry run shows one by one');
  await page.click('#language');
});

// The owner's loop: pick, edit in another program, pick the same file again.
test('picking the same file again reads it again, and a dropped file is a pick', async () => {
  const folder = mkdtempSync(path.join(tmpdir(), 'posrelay-pick-'));
  try {
    const ini = path.join(folder, 'posrelay.ini');
    for (const wait of ['4000', '1500', '1500']) {
      writeFileSync(ini, `wait=${wait}\r\n`);
      await pickPath('#settings-file', ini);
      assert.deepEqual((await settingsShown()).wait, [wait, '1 行目']);
      assert.match(await textOf('#settings-picked'), /^posrelay\.ini を読み込みました（\d+:\d\d:\d\d）$/);
    }
    const trace = path.join(folder, 'posrelay.trace');
    const recorded = sample('traces/normal_run.trace');
    for (const [bytes, verdict] of [[recorded, /^記録どおりに再現できました/],
                                    [Buffer.from(recorded.toString().replace('wsimcon=100', 'wsimcon=500')),
                                     /^記録と違う動きになりました/],
                                    [recorded, /^記録どおりに再現できました/]]) {
      writeFileSync(trace, bytes);
      await pickPath('#trace-file', trace);
      assert.match(await textOf('#trace-verdict'), verdict);
    }
  } finally {
    rmSync(folder, {recursive: true, force: true});
  }
  // Dropped on a part of the page, a file is that part's; dropped elsewhere,
  // its name says which.
  await drop('#settings-result', 'posrelay.ini', Buffer.from('wait=2500\r\n'));
  assert.deepEqual((await settingsShown()).wait, ['2500', '1 行目']);
  await drop('#trace-result', 'any name', Buffer.from('not a trace\n'));
  assert.match(await textOf('#trace-problem'), /^この記録は再生できません/);
  assert.match(await textOf('#trace-picked'), /^any name を読み込みました/);
  await drop('h1', 'posrelay.trace', sample('traces/normal_run.trace'));
  assert.match(await textOf('#trace-verdict'), /^記録どおりに再現できました/);
  await drop('h1', 'posrelay.ini', Buffer.from('wait=3500\r\n'));
  assert.deepEqual((await settingsShown()).wait, ['3500', '1 行目']);
  assert.equal(new URL(page.url()).href, pageUrl);
});

// What overflows the page sideways, or a box it scrolls or cuts: each
// element with its right edge past the window's, or with more content than
// room where its content would scroll or be cut.
async function cutOrScrolling() {
  return page.evaluate(() => {
    const found = [];
    const name = (node) => node.tagName.toLowerCase() + (node.id ? '#' + node.id : '') +
                           (node.className && typeof node.className === 'string'
                                ? '.' + node.className.split(' ').join('.') : '');
    if (document.documentElement.scrollWidth > window.innerWidth) {
      found.push(`the page is ${document.documentElement.scrollWidth} px wide`);
    }
    for (const node of document.body.querySelectorAll('*')) {
      if (node.closest('svg') && node.tagName.toLowerCase() !== 'svg') continue;
      const box = node.getBoundingClientRect();
      const style = getComputedStyle(node);
      // Nothing of what is not drawn shows cut: the file inputs behind their labels.
      if ((box.width === 0 && box.height === 0) || style.opacity === '0') continue;
      if (box.right > window.innerWidth + 0.5) found.push(`${name(node)} ends at ${box.right} px`);
      const clips = (overflow) => overflow !== 'visible';
      if ((clips(style.overflowX) && node.scrollWidth > node.clientWidth + 1) ||
          (clips(style.overflowY) && node.scrollHeight > node.clientHeight + 1)) {
        found.push(`${name(node)} holds ${node.scrollWidth}×${node.scrollHeight} px in ` +
                   `${node.clientWidth}×${node.clientHeight}`);
      }
    }
    return found;
  });
}

// Each pair of a chart's texts whose boxes meet, as the page draws them.
async function textsDrawnOverEachOther(chart) {
  return page.locator(chart).evaluate((container) => {
    const texts = [...container.querySelectorAll('svg text')].map(
        (node) => [node.textContent, node.getBoundingClientRect()]).filter(([, box]) => box.width);
    const found = [];
    texts.forEach(([text, box], i) => {
      for (const [other, its] of texts.slice(i + 1)) {
        const meet = Math.min(box.right, its.right) - Math.max(box.left, its.left) > 0.5 &&
                     Math.min(box.bottom, its.bottom) - Math.max(box.top, its.top) > 0.5;
        if (meet) found.push(`「${text}」 and 「${other}」`);
      }
    });
    return found;
  });
}

// What the page shows at the widths of a small laptop and a common screen,
// in each language, for the settings' dry run in every handset state and
// for traces whole, cut and interrupted: each with every <details> open.
async function eachView(visit) {
  const normal = sample('traces/normal_run.trace');
  const views = [['ja/posrelay.ini', null], ['posrelay.ini', null],
                 [null, ['traces/normal_run.trace', normal]],
                 [null, ['half of traces/normal_run.trace',
                         normal.subarray(0, Math.floor(normal.length / 2))]],
                 [null, ['traces/interrupted.trace', sample('traces/interrupted.trace')]]];
  for (const language of ['ja', 'en']) {
    if (language === 'en') await page.click('#language');
    for (const width of [1024, 1280]) {
      await page.setViewportSize({width, height: 800});
      for (const [settings, trace] of views) {
        if (trace) {
          await pick('#trace-file', 'posrelay.trace', trace[1]);
          await openEveryDetails();
          await visit(`${language}, ${width} px, ${trace[0]}`, '#trace-chart');
          continue;
        }
        await pick('#settings-file', 'posrelay.ini', sample(settings));
        await openEveryDetails();
        const situations = page.locator('#situations input');
        for (let i = 0; i < await situations.count(); ++i) {
          await situations.nth(i).check();
          await visit(`${language}, ${width} px, ${settings}, situation ${i + 1}`, '#dry-run-chart');
        }
        await situations.first().check();
      }
    }
  }
  await page.click('#language');
  await page.evaluate(() => document.querySelectorAll('details').forEach((d) => { d.open = false; }));
  await page.setViewportSize({width: 1280, height: 800});
}

test('at 1024 and 1280 px nothing is cut and nothing scrolls sideways', async () => {
  const findings = [];
  await eachView(async (view) => {
    findings.push(...(await cutOrScrolling()).map((finding) => `${view}: ${finding}`));
    if (view === 'ja, 1024 px, ja/posrelay.ini, situation 1') await screenshot('ja-sample-1024.png');
    if (view === 'ja, 1024 px, traces/interrupted.trace') await screenshot('ja-interrupted-trace-1024.png');
  });
  assert.deepEqual(findings, []);
});

// Every text of a chart, measured as the browser draws it, in every run at
// both widths: phase names, lane names, axis labels, the end and the message.
test('no two texts of a chart are drawn over each other', async () => {
  const findings = [];
  await eachView(async (view, chart) => {
    findings.push(...(await textsDrawnOverEachOther(chart)).map((pair) => `${view}: ${pair}`));
  });
  assert.deepEqual(findings, []);
});

test('no script error and no request beyond the page itself', () => {
  assert.deepEqual(faults, []);
});
