// The exported sample in Chromium, from file:// and from nginx on loopback:
// the tree, the cards against `verlumo-db card`, the pictures against
// `verlumo-db pictures`, searches against `verlumo-db search`, a deep link,
// screenshots, and a check that every file the site refers to exists.
// Usage: node browser.test.js VERLUMO_DB SAMPLE_DB WORK_DIR [LARGE_DB]
// Exit 0 passed, 1 failed, 77 skipped (no chromium).
'use strict';
const assert = require('assert');
const cp = require('child_process');
const fs = require('fs');
const net = require('net');
const path = require('path');
const vm = require('vm');

const CHROMIUM = '/usr/bin/chromium';
const NGINX = '/usr/sbin/nginx';
const [tool, sampleDb, workDir, largeDb] = process.argv.slice(2);
if (!tool || !sampleDb || !workDir) {
  console.error('usage: node browser.test.js VERLUMO_DB SAMPLE_DB WORK_DIR [LARGE_DB]');
  process.exit(2);
}
if (!fs.existsSync(CHROMIUM)) {
  console.log(`skipped: ${CHROMIUM} is missing (scripts/setup.sh installs it)`);
  process.exit(77);
}
const { chromium } = require('playwright-core');

// Each file of the site must stay small enough for any server or CDN.
const MAX_FILE_BYTES = 4 << 20;

function db(...args) {
  const r = cp.spawnSync(tool, args, { encoding: 'utf8', maxBuffer: 64 << 20 });
  if (r.status !== 0 && r.status !== 1) throw new Error(`verlumo-db ${args.join(' ')}: ${r.stderr}`);
  return { status: r.status, stdout: r.stdout, stderr: r.stderr };
}
function cliCard(dir, pos, extra) {
  const out = JSON.parse(db('card', dir, String(pos), ...(extra ? ['--extra'] : [])).stdout);
  return out.panes.map((p) => ({ control: String(p.control), text: p.text.replace(/\r\n/g, '\n') }));
}
function cliSearch(dir, text, whole, from) {
  const args = ['search', dir, text];
  if (whole) args.push('--whole-word');
  if (from !== undefined) args.push('--from', String(from));
  const r = db(...args);
  return r.status === 0 ? Number(r.stdout.trim()) : -1;
}

// ---- the site's files -------------------------------------------------------

function readData(file) {
  let got = null;
  vm.runInNewContext(fs.readFileSync(file, 'utf8'), {
    window: { __verlumo: (kind, key, data) => { got = data; } },
  });
  assert.ok(got !== null, `${file} hands no data to the page`);
  return got;
}

// Follows every reference from index.html and the data files; returns the
// site's contents for the other checks.
function checkLinks(site) {
  const need = (rel) => {
    const file = path.join(site, rel);
    assert.ok(fs.existsSync(file), `the site refers to ${rel}, which is missing`);
    return file;
  };
  const html = fs.readFileSync(need('index.html'), 'utf8');
  const refs = [...html.matchAll(/(?:src|href)="([^"#]+)"/g)].map((m) => m[1]);
  assert.ok(refs.includes('app.js') && refs.includes('style.css'), 'index.html loads app.js and style.css');
  for (const r of refs) {
    assert.ok(!/^[a-z]+:/i.test(r), `index.html refers to ${r} outside the site`);
    need(r);
  }
  const info = readData(need('data/site.js'));
  readData(need('data/rules.js'));
  const tree = [];
  const groups = [-1];
  while (groups.length) {
    const g = groups.shift();
    const shard = g < 0 ? 0 : Math.floor(g / info.treeShard);
    for (let page = 0; ; ++page) {
      const d = readData(need(`data/tree/${shard}/${g < 0 ? 'root' : g}-${page}.js`));
      for (const e of d.items) {
        tree.push({ position: e[0], caption: e[1], record: e[2], parent: g });
        if (e[3]) groups.push(e[0]);
      }
      if (!d.more) break;
    }
  }
  tree.sort((a, b) => a.position - b.position);
  assert.strictEqual(tree.length, info.items, 'the tree files hold every item once');
  const orders = [];
  for (let n = 0; n * info.orderChunk < info.items; ++n) orders.push(readData(need(`data/order/${n}.js`)));
  const records = orders.flatMap((o) => o.rec);
  const parents = orders.flatMap((o) => o.par);
  tree.forEach((t, i) => {
    assert.strictEqual(t.position, i);
    assert.strictEqual(records[i], t.record, `order file: record of item ${i}`);
    assert.strictEqual(parents[i], t.parent, `order file: parent of item ${i}`);
  });
  const chunks = (kind) => info[kind].map((_, n) => readData(need(`data/${kind}/${n}.js`)));
  const cards = Object.assign({}, ...chunks('cards'));
  const extra = Object.assign({}, ...chunks('extra'));
  const names = Object.assign({}, ...chunks('names'));
  let pictures = 0;
  for (const t of tree) {
    if (t.record < 0) continue;
    const card = cards[t.record];
    assert.ok(card && extra[t.record] && t.record in names, `type ${t.record} has a card, extra data and names`);
    for (const pane of card.p.concat(extra[t.record]))
      for (const x of pane) if (typeof x === 'number') assert.ok(x < info.pieces.length, 'a piece number out of range');
    const dir = `pictures/${Math.floor(t.record / info.pictureShard)}/${t.record}/`;
    if (card.pv) { need(dir + 'preview.png'); ++pictures; }
    for (const k of card.pics || []) { need(dir + `${k}.png`); ++pictures; }
  }
  const walk = (dir) => fs.readdirSync(dir, { withFileTypes: true }).flatMap((e) =>
    e.isDirectory() ? walk(path.join(dir, e.name)) : [path.join(dir, e.name)]);
  const files = walk(site);
  let biggest = 0;
  for (const f of files) biggest = Math.max(biggest, fs.statSync(f).size);
  assert.ok(biggest <= MAX_FILE_BYTES, `a file of ${biggest} bytes`);
  console.log(`links: ${files.length} files, all references resolve, largest ${biggest} bytes`);
  return { info, tree, cards, pictures };
}

// ---- nginx on loopback ------------------------------------------------------

function freePort() {
  return new Promise((resolve, reject) => {
    const s = net.createServer();
    s.listen(0, '127.0.0.1', () => { const p = s.address().port; s.close(() => resolve(p)); });
    s.on('error', reject);
  });
}
async function startNginx(site, dir) {
  const port = await freePort();
  fs.mkdirSync(dir, { recursive: true });
  const conf = path.join(dir, 'nginx.conf');
  fs.writeFileSync(conf, `worker_processes 1;
pid ${dir}/nginx.pid;
error_log ${dir}/error.log;
events { worker_connections 64; }
http {
  types { text/html html; text/css css; application/javascript js; image/png png; }
  access_log off;
  client_body_temp_path ${dir}/body; proxy_temp_path ${dir}/proxy; fastcgi_temp_path ${dir}/fastcgi;
  uwsgi_temp_path ${dir}/uwsgi; scgi_temp_path ${dir}/scgi;
  server { listen 127.0.0.1:${port}; root ${site}; charset utf-8; }
}
`);
  const proc = cp.spawn(NGINX, ['-c', conf, '-p', dir, '-g', 'daemon off;'], { stdio: ['ignore', 'inherit', 'inherit'] });
  for (let i = 0; i < 100; ++i) {
    const up = await new Promise((resolve) => {
      const c = net.connect(port, '127.0.0.1', () => { c.end(); resolve(true); });
      c.on('error', () => resolve(false));
    });
    if (up) return { proc, url: `http://127.0.0.1:${port}/index.html` };
    if (proc.exitCode !== null) break;
    await new Promise((r) => setTimeout(r, 50));
  }
  proc.kill();
  throw new Error(`nginx did not start; see ${dir}/error.log`);
}

// ---- the page -----------------------------------------------------------------

async function open(page, url) {
  await page.goto(url);
  await page.waitForSelector('body[data-ready]');
  assert.strictEqual(await page.getAttribute('body', 'data-ready'), 'true', 'the page loads its data');
}
async function selectedPosition(page) {
  const sel = page.locator('#tree [aria-selected="true"]');
  if ((await sel.count()) === 0) return -1;
  return Number(await sel.getAttribute('data-position'));
}
async function paneTexts(page, scope, ids) {
  const out = [];
  for (const id of ids) out.push({ control: id, text: await page.locator(`${scope} [data-control="${id}"]`).innerText() });
  return out;
}
async function checkCard(page, dir, pos) {
  const expected = cliCard(dir, pos);
  const got = await paneTexts(page, '#card', expected.map((p) => p.control));
  assert.deepStrictEqual(got, expected, `the panes of item ${pos}`);
}
// The selection settles when its card is shown.
async function settle(page, pos) {
  await page.waitForFunction((p) => {
    const s = document.querySelector('#tree [aria-selected="true"]');
    return s && s.dataset.position === String(p) && location.hash === '#item=' + p;
  }, pos);
  await page.waitForFunction((p) => window.verlumo.shown === p, pos);
}

async function search(page, text, { whole, fromStart }) {
  await page.click('#search-button');
  await page.fill('[data-role="search-text"]', text);
  await page.locator(fromStart ? '[data-role="from-start"]' : '[data-role="from-current"]').check();
  await page.locator('[data-role="whole-word"]').setChecked(!!whole);
  await page.click('[data-role="find"]');
  await page.waitForFunction(() => window.verlumo.searching === false);
  const message = page.locator('#message-box:not([hidden]) [data-role="message"]');
  if (await message.count()) {
    assert.strictEqual(await message.innerText(), 'Строка не найдена');
    await page.keyboard.press('Escape');
    return -1;
  }
  const pos = await selectedPosition(page);
  await settle(page, pos);
  return pos;
}

async function run() {
  fs.rmSync(workDir, { recursive: true, force: true });
  fs.mkdirSync(workDir, { recursive: true });
  const site = path.join(workDir, 'site');
  const shots = path.join(workDir, 'screenshots');
  fs.mkdirSync(shots);
  const exported = db('export-html', sampleDb, '-o', site);
  assert.strictEqual(exported.status, 0, exported.stderr);
  console.log(exported.stdout.trim());
  const { tree, cards, pictures } = checkLinks(site);
  const types = tree.filter((t) => t.record >= 0);
  const withPictures = types.find((t) => (cards[t.record].pics || []).length >= 3);
  assert.ok(withPictures, 'the sample has a type with three pictures');
  assert.ok(pictures > 0);

  const nginx = await startNginx(site, path.join(workDir, 'nginx'));
  const browser = await chromium.launch({ executablePath: CHROMIUM, headless: true, args: ['--no-sandbox'] });
  try {
    for (const [where, url] of [['file', 'file://' + path.join(site, 'index.html')], ['nginx', nginx.url]]) {
      const page = await browser.newPage({ viewport: { width: 1200, height: 720 } });
      const errors = [];
      page.on('pageerror', (e) => errors.push(e.message));
      await open(page, url);

      // The tree: the first top-level item open, its children shown.
      const first = page.locator('#tree > li').first();
      assert.strictEqual(await first.getAttribute('aria-expanded'), 'true');
      assert.strictEqual(await first.getAttribute('data-position'), '0');
      assert.strictEqual(await page.locator('#tree > li').count(), tree.filter((t) => t.parent < 0).length);
      assert.strictEqual(await selectedPosition(page), -1);

      // Clicking through: open a group by its twisty, select a type.
      const group = tree.find((t) => t.parent === 0);
      const groupLi = page.locator(`#tree li[data-position="${group.position}"]`);
      if ((await groupLi.getAttribute('aria-expanded')) === 'false') await groupLi.locator('> .row .twisty').click();
      const child = tree.find((t) => t.parent === group.position);
      await page.locator(`#tree li[data-position="${child.position}"] > .row .label`).click();
      await settle(page, child.position);
      await checkCard(page, sampleDb, child.position);
      await page.screenshot({ path: path.join(shots, `${where}-main.png`) });

      // Keyboard: Home, Down, Right into a group, Left back out, End.
      await page.keyboard.press('Home');
      await settle(page, 0);
      await page.keyboard.press('ArrowDown');
      await settle(page, 1);
      // The click above opened item 1: Left collapses it, then goes to the parent.
      await page.keyboard.press('ArrowLeft');
      assert.strictEqual(await page.getAttribute('#tree li[data-position="1"]', 'aria-expanded'), 'false');
      await settle(page, 1);
      await page.keyboard.press('ArrowLeft');
      await settle(page, 0);
      await page.keyboard.press('ArrowLeft'); // collapses it
      assert.strictEqual(await first.getAttribute('aria-expanded'), 'false');
      await page.keyboard.press('ArrowDown');
      const second = tree.filter((t) => t.parent < 0)[1];
      await settle(page, second.position);
      await page.keyboard.press('ArrowRight'); // expands
      await page.waitForSelector(`#tree li[data-position="${second.position}"][aria-expanded="true"] > ul > li`);
      await page.keyboard.press('ArrowRight'); // to the first child
      await settle(page, second.position + 1);
      await page.keyboard.press('ArrowUp');
      await settle(page, second.position);
      await page.keyboard.press('End');
      const lastTop = tree.filter((t) => t.parent < 0).pop();
      await settle(page, lastTop.position);
      await checkCard(page, sampleDb, lastTop.position);

      // Every item's panes (from file), a sample of them from nginx.
      const sample = where === 'file' ? tree : tree.filter((t, i) => i % 9 === 0);
      for (const t of sample) {
        await page.evaluate((p) => window.verlumo.reveal(p), t.position);
        await settle(page, t.position);
        await checkCard(page, sampleDb, t.position);
        if (t.record >= 0) {
          assert.strictEqual(await page.locator('#count').innerText(), String(cards[t.record].n));
        }
      }

      // The additional data, aligned by the page's tab stops.
      await page.evaluate((p) => window.verlumo.reveal(p), withPictures.position);
      await settle(page, withPictures.position);
      await page.click('#extra-button');
      await page.waitForSelector('#extra-dialog:not([hidden]) [data-role="extra"]');
      const extraExpected = cliCard(sampleDb, withPictures.position, true);
      assert.deepStrictEqual(await paneTexts(page, '[data-role="extra"]', ['1008', '1001', '1003']), extraExpected);
      const stripTabs = await page.locator('[data-role="extra"] [data-control="1008"] .t').evaluateAll(
        (ts) => ts.map((t) => Math.round(t.getBoundingClientRect().right)));
      assert.ok(stripTabs.length >= 2, 'the strip table has tabs');
      await page.screenshot({ path: path.join(shots, `${where}-extra.png`) });
      await page.keyboard.press('Escape');
      assert.strictEqual(await page.locator('[data-role="extra"]').count(), 0);

      // Pictures: the preview, then the series stepped with the keys and buttons.
      const record = withPictures.record;
      const want = fs.mkdtempSync(path.join(workDir, 'pictures-'));
      db('pictures', sampleDb, String(withPictures.position), '-o', want);
      const same = (rel, name) => assert.ok(
        fs.readFileSync(path.join(site, rel)).equals(fs.readFileSync(path.join(want, name))), `${rel} equals ${name}`);
      const dir = `pictures/${Math.floor(record / 1000)}/${record}/`;
      if (cards[record].pv) {
        assert.strictEqual(await page.getAttribute('#preview img', 'src'), dir + 'preview.png');
        assert.ok(await page.$eval('#preview img', (i) => i.complete && i.naturalWidth > 0));
        same(dir + 'preview.png', 'preview.png');
      }
      const pics = cards[record].pics;
      await page.click('#images-button');
      const shownPicture = async () => {
        await page.waitForFunction(() => { const i = document.querySelector('#viewer [data-role="picture"]'); return i.complete && i.naturalWidth > 0; });
        return Number(await page.getAttribute('#viewer [data-role="picture"]', 'data-picture'));
      };
      assert.strictEqual(await shownPicture(), pics[0]);
      same(dir + `${pics[0]}.png`, `${pics[0]}.png`);
      await page.keyboard.press('ArrowRight');
      assert.strictEqual(await shownPicture(), pics[1]);
      await page.click('#viewer [data-role="next"]');
      assert.strictEqual(await shownPicture(), pics[2]);
      await page.screenshot({ path: path.join(shots, `${where}-viewer.png`) });
      await page.keyboard.press('ArrowLeft');
      assert.strictEqual(await shownPicture(), pics[1]);
      await page.click('#viewer [data-role="previous"]');
      assert.strictEqual(await shownPicture(), pics[0]);
      assert.ok(await page.isDisabled('#viewer [data-role="previous"]'));
      await page.mouse.click(3, 3); // outside the picture viewer
      assert.ok(await page.isHidden('#viewer'));
      await page.click('#images-button');
      await page.keyboard.press('Escape');
      assert.ok(await page.isHidden('#viewer'));

      // Searches, each against the command line.
      const cases = [
        { text: 'Ту', whole: false, fromStart: true },
        { text: 'ту', whole: true, fromStart: true },
        { text: 'boeing', whole: true, fromStart: true },
        { text: 'Boeing', whole: false, fromStart: false },
        { text: 'СССР', whole: true, fromStart: false },
        { text: 'СССР', whole: true, fromStart: false },
        { text: 'нет такого типа', whole: false, fromStart: true },
        { text: 'ss', whole: true, fromStart: true },
      ];
      for (const c of cases) {
        const from = await selectedPosition(page);
        const want = cliSearch(sampleDb, c.text, c.whole, c.fromStart ? undefined : from);
        const got = await search(page, c.text, c);
        assert.strictEqual(got, want, `search ${JSON.stringify(c)} from ${from}`);
        if (c.text === 'нет такого типа') assert.strictEqual(got, -1);
        if (got >= 0) await checkCard(page, sampleDb, got);
      }
      await page.click('#search-button');
      await page.fill('[data-role="search-text"]', 'нет такого типа');
      await page.click('[data-role="find"]');
      await page.waitForSelector('#message-box:not([hidden])');
      await page.screenshot({ path: path.join(shots, `${where}-search-miss.png`) });
      await page.keyboard.press('Escape');
      // Every other item as the start of a search from the current item.
      if (where === 'file') {
        for (const t of tree.filter((x, i) => i % 2 === 0)) {
          for (const [text, whole] of [['а', false], ['ан', true], ['Ми', true]]) {
            const got = await page.evaluate(([x, p, w]) => window.verlumo.find(x, p, w), [text, t.position, whole]);
            assert.strictEqual(got, cliSearch(sampleDb, text, whole, t.position), `find ${text} from ${t.position}`);
          }
        }
      }

      // A deep link opens with its item selected and its card shown.
      const deep = types[Math.floor(types.length / 2)];
      const linkPage = await browser.newPage({ viewport: { width: 1200, height: 720 } });
      await open(linkPage, url.replace(/#.*$/, '') + '#item=' + deep.position);
      await settle(linkPage, deep.position);
      await checkCard(linkPage, sampleDb, deep.position);
      await linkPage.screenshot({ path: path.join(shots, `${where}-deep-link.png`) });
      await linkPage.close();

      assert.deepStrictEqual(errors, [], 'no script errors');
      await page.close();
      console.log(`${where}: tree, ${sample.length} cards, extra data, pictures, ${cases.length} searches, deep link`);
    }

    if (largeDb) await measureLarge(browser, largeDb);
  } finally {
    await browser.close();
    nginx.proc.kill();
  }
  console.log(`screenshots in ${shots}`);
}

// A generated database of many types: the search's time in the browser once
// its index is loaded, and its answers against the command line.
async function measureLarge(browser, dir) {
  const site = path.join(workDir, 'large-site');
  const t0 = Date.now();
  const exported = db('export-html', dir, '-o', site);
  assert.strictEqual(exported.status, 0, exported.stderr);
  console.log(`large: ${exported.stdout.trim()} in ${((Date.now() - t0) / 1000).toFixed(1)} s`);
  let biggest = 0;
  const walk = (d) => fs.readdirSync(d, { withFileTypes: true }).forEach((e) => {
    if (e.isDirectory()) walk(path.join(d, e.name));
    else biggest = Math.max(biggest, fs.statSync(path.join(d, e.name)).size);
  });
  walk(site);
  assert.ok(biggest <= MAX_FILE_BYTES, `a file of ${biggest} bytes`);
  console.log(`large: the largest file has ${biggest} bytes`);
  const page = await browser.newPage();
  await open(page, 'file://' + path.join(site, 'index.html'));
  const items = Number(/(\d+) tree items/.exec(exported.stdout)[1]);
  for (const pos of [1, Math.floor(items / 2), items - 1]) {
    await page.evaluate((p) => window.verlumo.reveal(p), pos);
    await settle(page, pos);
    await checkCard(page, dir, pos);
  }
  const loadMs = await page.evaluate(async () => {
    const t = performance.now();
    await window.verlumo.find('x', -1, false);
    return performance.now() - t;
  });
  console.log(`large: the search index loads in ${loadMs.toFixed(0)} ms`);
  const queries = [['zzzz-nowhere', false, -1], ['Ан', true, -1], ['ь', false, 500], ['а', true, 50000]];
  for (const [text, whole, from] of queries) {
    const r = await page.evaluate(async ([x, p, w]) => {
      const t = performance.now();
      const pos = await window.verlumo.find(x, p, w);
      return { pos, ms: performance.now() - t };
    }, [text, from, whole]);
    const want = cliSearch(dir, text, whole, from < 0 ? undefined : from);
    assert.strictEqual(r.pos, want, `large search ${text}`);
    console.log(`large: search "${text}"${whole ? ' whole word' : ''} from ${from} -> ${r.pos} in ${r.ms.toFixed(1)} ms`);
  }
  await page.close();
}

run().then(() => console.log('passed'), (e) => { console.error(e); process.exit(1); });
