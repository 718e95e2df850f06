// The viewer in a browser. Data files are scripts that call
// window.__verlumo(kind, key, data): a page opened from file:// may load
// scripts but not fetch files, so this works from a disk and from any server.
'use strict';
(function () {
  const store = Object.create(null); // "kind:key" -> data
  const loading = Object.create(null); // url -> promise
  window.__verlumo = function (kind, key, data) { store[kind + ':' + key] = data; };

  function load(url, kind, key) {
    const id = kind + ':' + key;
    if (id in store) return Promise.resolve(store[id]);
    if (!loading[url]) {
      loading[url] = new Promise(function (resolve, reject) {
        const script = document.createElement('script');
        script.src = url;
        script.onload = function () {
          script.remove();
          if (id in store) resolve(store[id]);
          else reject(new Error(url + ': no data'));
        };
        script.onerror = function () {
          script.remove();
          delete loading[url];
          reject(new Error(url + ': cannot be loaded'));
        };
        document.head.appendChild(script);
      });
    }
    return loading[url];
  }

  let site = null;
  let rules = null;
  let selected = null; // the selected <li>
  let shownCard = null;
  let shownRecord = -1;
  const $ = function (sel, root) { return (root || document).querySelector(sel); };
  const tree = $('#tree');

  // The chunk whose first key is the largest not above key.
  function chunkOf(starts, key) {
    let lo = 0, hi = starts.length - 1, found = -1;
    while (lo <= hi) {
      const mid = (lo + hi) >> 1;
      if (starts[mid] <= key) { found = mid; lo = mid + 1; } else hi = mid - 1;
    }
    return found;
  }
  function chunkFor(kind, starts, key) {
    const n = chunkOf(starts, key);
    if (n < 0) return Promise.resolve(null);
    return load('data/' + kind + '/' + n + '.js', kind, n).then(function (c) {
      return c[key] === undefined ? null : c[key];
    });
  }
  function orderChunk(n) { return load('data/order/' + n + '.js', 'order', n); }
  function parentOf(pos) {
    return orderChunk(Math.floor(pos / site.orderChunk)).then(function (c) {
      return c.par[pos % site.orderChunk];
    });
  }

  // ---- panes ---------------------------------------------------------------

  // Tabs: each "t" span reaches the paragraph's next stop (its class's
  // stops, else the next multiple of the default tab), measured from the
  // paragraph's left edge, as the rich edit lays them out.
  function layoutTabs(pane, defaultTab) {
    pane.querySelectorAll('.p').forEach(function (para) {
      const tabs = para.querySelectorAll('.t');
      if (!tabs.length) return;
      const m = /\bp(\d+)\b/.exec(para.className);
      const stops = (m && site.tabs[+m[1]]) || [];
      const left = para.getBoundingClientRect().left;
      tabs.forEach(function (t) {
        t.style.width = '0px';
        const x = t.getBoundingClientRect().left - left;
        let stop = stops.find(function (s) { return s > x + 0.5; });
        if (stop === undefined) {
          const step = defaultTab > 0 ? defaultTab : 48;
          stop = (Math.floor(x / step) + 1) * step;
        }
        t.style.width = (stop - x) + 'px';
      });
    });
  }
  // A pane comes as numbers of the site's shared pieces and literal HTML.
  function paneHtml(pieces) {
    return pieces.map(function (x) { return typeof x === 'number' ? site.pieces[x] : x; }).join('');
  }
  function fillPane(pane, pieces, defaultTab) {
    pane.innerHTML = paneHtml(pieces);
    layoutTabs(pane, defaultTab);
  }

  function pictureUrl(record, name) {
    return 'pictures/' + Math.floor(record / site.pictureShard) + '/' + record + '/' + name;
  }

  function showCard(card, record) {
    shownCard = card;
    shownRecord = record;
    const ids = ['1000', '1003', '1001'];
    ids.forEach(function (id, i) {
      fillPane($('#card [data-control="' + id + '"]'), card.p[i], site.defaultTab.card);
    });
    $('#count').textContent = String(card.n);
    $('#images-button').disabled = !(card.img && card.pics && card.pics.length);
    $('#extra-button').disabled = !card.add;
    const img = $('#preview img');
    if (card.pv) {
      img.src = pictureUrl(record, 'preview.png');
      img.hidden = false;
    } else {
      img.removeAttribute('src');
      img.hidden = true;
    }
  }

  function cardOf(record) {
    if (record < 0) return Promise.resolve(site.groupCard);
    return chunkFor('cards', site.cards, record).then(function (c) { return c || site.groupCard; });
  }

  // ---- the tree ------------------------------------------------------------

  function treePage(group, page) {
    const key = (group < 0 ? 'root' : String(group)) + '-' + page;
    const shard = group < 0 ? 0 : Math.floor(group / site.treeShard);
    return load('data/tree/' + shard + '/' + key + '.js', 'tree', key);
  }
  function treeChildren(group) {
    const items = [];
    function next(page) {
      return treePage(group, page).then(function (d) {
        Array.prototype.push.apply(items, d.items);
        return d.more ? next(page + 1) : items;
      });
    }
    return next(0);
  }

  function makeItem(entry, level) {
    const li = document.createElement('li');
    li.setAttribute('role', 'treeitem');
    li.setAttribute('aria-level', String(level));
    li.setAttribute('aria-selected', 'false');
    li.dataset.position = String(entry[0]);
    li.dataset.record = String(entry[2]);
    if (entry[3]) li.setAttribute('aria-expanded', 'false');
    const row = document.createElement('div');
    row.className = 'row';
    const twisty = document.createElement('span');
    twisty.className = 'twisty';
    const label = document.createElement('span');
    label.className = 'label';
    label.textContent = entry[1];
    row.append(twisty, label);
    li.append(row);
    return li;
  }
  function fillGroup(ul, items, level) {
    const frag = document.createDocumentFragment();
    items.forEach(function (e) { frag.append(makeItem(e, level)); });
    ul.append(frag);
  }

  function expand(li) {
    if (li.getAttribute('aria-expanded') === null) return Promise.resolve();
    let ul = li.querySelector(':scope > ul');
    li.setAttribute('aria-expanded', 'true');
    if (ul) { ul.hidden = false; return Promise.resolve(); }
    ul = document.createElement('ul');
    ul.setAttribute('role', 'group');
    li.append(ul);
    const level = +li.getAttribute('aria-level') + 1;
    return treeChildren(+li.dataset.position).then(function (items) { fillGroup(ul, items, level); });
  }
  function collapse(li) {
    const ul = li.querySelector(':scope > ul');
    if (li.getAttribute('aria-expanded') === 'true') li.setAttribute('aria-expanded', 'false');
    if (ul) ul.hidden = true;
  }
  function isExpanded(li) { return li.getAttribute('aria-expanded') === 'true'; }
  function childItems(li) {
    const ul = li.querySelector(':scope > ul');
    return ul ? ul.children : [];
  }
  function parentItem(li) {
    const ul = li.parentElement;
    return ul === tree ? null : ul.parentElement;
  }

  let selectSerial = 0;
  function select(li) {
    if (selected === li) return Promise.resolve();
    if (selected) selected.setAttribute('aria-selected', 'false');
    selected = li;
    if (!li) return Promise.resolve();
    li.setAttribute('aria-selected', 'true');
    li.querySelector('.row').scrollIntoView({ block: 'nearest' });
    const pos = li.dataset.position;
    const hash = '#item=' + pos;
    if (location.hash !== hash) {
      try { history.replaceState(null, '', hash); } catch (e) { location.hash = hash; }
    }
    const serial = ++selectSerial;
    const record = +li.dataset.record;
    return cardOf(record).then(function (card) {
      if (serial !== selectSerial) return;
      showCard(card, record);
      window.verlumo.shown = +pos;
    });
  }

  // Expands the item's ancestors from the top down and selects it.
  function reveal(pos) {
    const chain = [];
    function up(p) {
      return parentOf(p).then(function (parent) {
        if (parent < 0) return;
        chain.unshift(parent);
        return up(parent);
      });
    }
    return up(pos).then(function () {
      let step = Promise.resolve();
      chain.forEach(function (p) {
        step = step.then(function () {
          const li = tree.querySelector('li[data-position="' + p + '"]');
          return li ? expand(li) : undefined;
        });
      });
      return step;
    }).then(function () {
      const li = tree.querySelector('li[data-position="' + pos + '"]');
      return li ? select(li) : undefined;
    });
  }

  function visibleNext(li) {
    if (isExpanded(li) && childItems(li).length) return childItems(li)[0];
    for (let x = li; x; x = parentItem(x)) if (x.nextElementSibling) return x.nextElementSibling;
    return null;
  }
  function lastVisible(li) {
    while (isExpanded(li) && childItems(li).length) {
      const kids = childItems(li);
      li = kids[kids.length - 1];
    }
    return li;
  }
  function visiblePrevious(li) {
    if (li.previousElementSibling) return lastVisible(li.previousElementSibling);
    return parentItem(li);
  }

  tree.addEventListener('click', function (ev) {
    const li = ev.target.closest('li[role="treeitem"]');
    if (!li) return;
    tree.focus();
    if (ev.target.classList.contains('twisty')) {
      if (isExpanded(li)) collapse(li); else expand(li);
      return;
    }
    select(li);
  });
  tree.addEventListener('dblclick', function (ev) {
    const li = ev.target.closest('li[role="treeitem"]');
    if (!li || ev.target.classList.contains('twisty')) return;
    if (isExpanded(li)) collapse(li); else expand(li);
  });
  tree.addEventListener('keydown', function (ev) {
    const first = tree.firstElementChild;
    if (!first) return;
    const cur = selected;
    let target = null;
    switch (ev.key) {
      case 'ArrowDown': target = cur ? visibleNext(cur) : first; break;
      case 'ArrowUp': target = cur ? visiblePrevious(cur) : first; break;
      case 'Home': target = first; break;
      case 'End': target = lastVisible(tree.lastElementChild); break;
      case 'ArrowRight':
        if (!cur) break;
        if (cur.getAttribute('aria-expanded') === 'false') expand(cur);
        else if (isExpanded(cur) && childItems(cur).length) target = childItems(cur)[0];
        break;
      case 'ArrowLeft':
        if (!cur) break;
        if (isExpanded(cur)) collapse(cur); else target = parentItem(cur);
        break;
      case 'F2': if (!$('#images-button').disabled) openViewer(); break;
      case 'F3': if (!$('#extra-button').disabled) openExtra(); break;
      default: return;
    }
    ev.preventDefault();
    if (target) select(target);
  });

  // ---- dialogs -------------------------------------------------------------

  let openModal = null;
  function showModal(el, focus) {
    el.hidden = false;
    openModal = el;
    if (focus) focus.focus();
  }
  function closeModal() {
    if (!openModal) return;
    openModal.hidden = true;
    if (openModal.id === 'extra-dialog') $('#extra-panes').replaceChildren();
    openModal = null;
    tree.focus();
  }
  document.addEventListener('keydown', function (ev) {
    if (!openModal) return;
    if (ev.key === 'Escape') { ev.preventDefault(); closeModal(); return; }
    if (openModal.id === 'viewer') {
      if (ev.key === 'ArrowLeft') { ev.preventDefault(); stepViewer(-1); }
      if (ev.key === 'ArrowRight') { ev.preventDefault(); stepViewer(1); }
    }
  });
  document.querySelectorAll('.modal').forEach(function (modal) {
    modal.addEventListener('click', function (ev) {
      // A click outside the dialog closes it; inside, only its own buttons act.
      if (ev.target === modal || ev.target.closest('[data-role="close"]')) closeModal();
    });
  });

  // The additional data: its panes exist only while it is open, so the
  // card's panes are the only ones with their control ids otherwise.
  function openExtra() {
    const record = shownRecord;
    if (record < 0) return;
    chunkFor('extra', site.extra, record).then(function (panes) {
      if (!panes) return;
      const box = document.createElement('div');
      box.dataset.role = 'extra';
      box.style.display = 'contents';
      ['1008', '1001', '1003'].forEach(function (id, i) {
        const pane = document.createElement('div');
        pane.className = 'pane';
        pane.dataset.control = id;
        pane.innerHTML = paneHtml(panes[i]);
        box.append(pane);
      });
      $('#extra-panes').replaceChildren(box);
      showModal($('#extra-dialog'), $('#extra-dialog [data-role="close"]'));
      box.querySelectorAll('.pane').forEach(function (p) { layoutTabs(p, site.defaultTab.extra); });
    });
  }
  $('#extra-button').addEventListener('click', openExtra);

  // The picture viewer: the shown type's series, one picture at a time.
  let viewerIndex = 0;
  function showPicture() {
    const pics = shownCard.pics;
    const img = $('#viewer [data-role="picture"]');
    img.src = pictureUrl(shownRecord, pics[viewerIndex] + '.png');
    img.dataset.picture = String(pics[viewerIndex]);
    $('#viewer [data-role="previous"]').disabled = viewerIndex === 0;
    $('#viewer [data-role="next"]').disabled = viewerIndex === pics.length - 1;
  }
  function stepViewer(d) {
    const n = viewerIndex + d;
    if (n < 0 || n >= shownCard.pics.length) return;
    viewerIndex = n;
    showPicture();
  }
  function openViewer() {
    if (!shownCard || !shownCard.pics || !shownCard.pics.length) return;
    viewerIndex = 0;
    showPicture();
    showModal($('#viewer'), $('#viewer [data-role="close"]'));
  }
  $('#images-button').addEventListener('click', openViewer);
  $('#viewer [data-role="previous"]').addEventListener('click', function () { stepViewer(-1); });
  $('#viewer [data-role="next"]').addEventListener('click', function () { stepViewer(1); });
  $('#viewer [data-role="picture"]').addEventListener('click', closeModal);

  // ---- search --------------------------------------------------------------

  let charIndex = null; // character -> its code page byte
  let wordChars = null; // capitals (and other characters) that make a word
  let searchTable = null; // per position: the type's names, or null
  function foldPattern(text) {
    let out = '';
    for (const ch of text) {
      const n = charIndex.get(ch);
      if (n === undefined) return null; // the code page cannot hold it: nothing matches
      out += rules.upper[n];
    }
    return out;
  }
  function loadSearchTable() {
    if (searchTable) return Promise.resolve(searchTable);
    const orders = [];
    for (let n = 0; n * site.orderChunk < site.items; ++n) orders.push(orderChunk(n));
    const names = site.names.map(function (_, n) { return load('data/names/' + n + '.js', 'names', n); });
    return Promise.all([Promise.all(orders), Promise.all(names)]).then(function (r) {
      const byRecord = new Map();
      r[1].forEach(function (c) { for (const k in c) byRecord.set(+k, c[k]); });
      const table = new Array(site.items);
      let pos = 0;
      r[0].forEach(function (c) {
        c.rec.forEach(function (rec) {
          table[pos++] = rec < 0 ? null : (byRecord.get(rec) || null);
        });
      });
      searchTable = table;
      return table;
    });
  }
  function isWordAt(s, i) { return i >= 0 && i < s.length && wordChars.has(s[i]); }
  // names: the five fields joined by NUL, which no field holds and which is
  // no word character, so a neighbour test needs no field bounds.
  function matches(names, pattern, wholeWord) {
    let i = names.indexOf(pattern);
    if (!wholeWord || i < 0) return i >= 0;
    for (;;) {
      if (!isWordAt(names, i - 1) && !isWordAt(names, i + pattern.length)) return true;
      // Only each field's first occurrence is judged, as the viewer judges
      // it: go on in the next field.
      const next = names.indexOf('\0', i);
      if (next < 0) return false;
      i = names.indexOf(pattern, next + 1);
      if (i < 0) return false;
    }
  }
  // The position of the next type whose names hold text, or -1: from the
  // item behind fromPos (-1: from the first item).
  function find(text, fromPos, wholeWord) {
    return loadSearchTable().then(function (table) {
      const pattern = foldPattern(text);
      if (!pattern || pattern.indexOf('\0') >= 0) return -1;
      for (let pos = fromPos + 1; pos < table.length; ++pos) {
        const names = table[pos];
        if (names !== null && matches(names, pattern, wholeWord)) return pos;
      }
      return -1;
    });
  }

  let lastSearch = '';
  function openSearch() {
    const dlg = $('#search-dialog');
    $('[data-role="search-text"]', dlg).value = lastSearch;
    $('[data-role="from-current"]', dlg).checked = true;
    $('[data-role="whole-word"]', dlg).checked = true;
    showModal(dlg, $('[data-role="search-text"]', dlg));
    $('[data-role="search-text"]', dlg).select();
    // The index loads while the text is typed (seconds for 100,000 types).
    loadSearchTable().catch(function () {});
  }
  $('#search-button').addEventListener('click', openSearch);
  $('#search-dialog [data-role="cancel"]').addEventListener('click', closeModal);
  $('#search-dialog form').addEventListener('submit', function (ev) {
    ev.preventDefault();
    const dlg = $('#search-dialog');
    const text = $('[data-role="search-text"]', dlg).value;
    const fromCurrent = $('[data-role="from-current"]', dlg).checked;
    const whole = $('[data-role="whole-word"]', dlg).checked;
    lastSearch = text;
    closeModal();
    const from = fromCurrent && selected ? +selected.dataset.position : -1;
    window.verlumo.searching = true;
    find(text, from, whole).then(function (pos) {
      if (pos >= 0) return reveal(pos);
      $('#message-box [data-role="message"]').textContent = 'Строка не найдена';
      showModal($('#message-box'), $('#message-box [data-role="close"]'));
    }).finally(function () { window.verlumo.searching = false; });
  });

  // ---- start ---------------------------------------------------------------

  function itemFromHash() {
    const m = /^#item=(\d+)$/.exec(location.hash);
    return m && +m[1] < site.items ? +m[1] : null;
  }
  window.addEventListener('hashchange', function () {
    const pos = itemFromHash();
    if (pos !== null && (!selected || +selected.dataset.position !== pos)) reveal(pos);
  });

  // For tests and measurements: the search alone, and a selection by position.
  // shown: the position whose card is shown; searching: a search of the
  // dialog is under way.
  window.verlumo = { find: find, reveal: reveal, ready: null, shown: -1, searching: false };

  window.verlumo.ready = load('data/site.js', 'site', 0).then(function (s) {
    site = s;
    document.title = site.title;
    return load('data/rules.js', 'rules', 0);
  }).then(function (r) {
    rules = r;
    charIndex = new Map();
    wordChars = new Set();
    rules.chars.forEach(function (ch, n) { if (ch) charIndex.set(ch, n); });
    rules.upper.forEach(function (ch, n) { if (rules.word[n] === '1') wordChars.add(ch); });
    showCard(site.groupCard, -1);
    return treeChildren(-1);
  }).then(function (items) {
    fillGroup(tree, items, 1);
    const first = tree.firstElementChild;
    const open = first ? expand(first) : Promise.resolve();
    return open.then(function () {
      const pos = itemFromHash();
      if (pos !== null) return reveal(pos);
    });
  }).then(function () {
    document.body.dataset.ready = 'true';
  }, function (err) {
    document.body.dataset.ready = 'error';
    $('#titlebar').textContent += ' — ' + err.message;
  });
})();
