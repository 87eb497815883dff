// Phone remote: talks to the server only through /xml (one request per call) and
// /q (the long-poll event feed).
(function () {
  'use strict';

  const PAGE = 50;
  const FOLDER_TYPES = new Set(['genre', 'artist', 'album', 'folder', 'playlist folder',
    'radio folder', 'tv series']);
  const $ = (id) => document.getElementById(id);

  let nextRequestId = 1;
  let online = true;
  const state = {
    playing: 'stopped', position: 0, length: 0, volume: 0,
    shuffle: false, repeat: false, playlistPos: -1, seeking: false, volumeDragging: false,
  };

  // ---- protocol -------------------------------------------------------------

  function esc(text) {
    return String(text).replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;')
      .replace(/"/g, '&quot;').replace(/'/g, '&apos;');
  }

  function build(name, fields) {
    let xml = '<' + name + '><requestId>' + (nextRequestId++) + '</requestId>';
    for (const [key, value] of Object.entries(fields || {})) {
      if (value === undefined || value === null) continue;
      xml += '<' + key + '>' + esc(value) + '</' + key + '>';
    }
    return xml + '</' + name + '>';
  }

  function parse(text) {
    const doc = new DOMParser().parseFromString(text, 'text/xml');
    return doc.querySelector('parsererror') ? null : doc.documentElement;
  }

  function text(el, name) {
    const found = el && el.getElementsByTagName(name)[0];
    return found ? found.textContent : '';
  }
  function int(el, name) {
    const t = text(el, name);
    return t === '' ? -1 : parseInt(t, 10);
  }
  function bool(el, name) { return text(el, name).toLowerCase() === 'true'; }

  function setOnline(value) {
    if (online === value) return;
    online = value;
    $('offline').hidden = value;
    if (value) refreshAll();
  }

  // Sends one request and resolves with the response element (or null on failure).
  async function request(name, fields, timeoutMs) {
    const controller = new AbortController();
    const timer = setTimeout(() => controller.abort(), timeoutMs || 10000);
    try {
      const res = await fetch('/xml?m=' + encodeURIComponent(build(name, fields)),
        { cache: 'no-store', signal: controller.signal });
      setOnline(true);
      if (!res.ok) return null;
      return parse(await res.text());
    } catch (e) {
      if (e.name !== 'AbortError') setOnline(false);
      return null;
    } finally {
      clearTimeout(timer);
    }
  }

  // ---- event feed -----------------------------------------------------------

  let queueId = null;

  async function eventLoop() {
    let delay = 500;
    for (;;) {
      try {
        if (!queueId) {
          const res = await fetch('/q?c=new', { cache: 'no-store' });
          if (!res.ok) throw new Error('queue');
          queueId = (await res.text()).trim();
          setOnline(true);
          refreshAll();
        }
        const res = await fetch('/q?c=' + encodeURIComponent(queueId), { cache: 'no-store' });
        if (res.status === 404) { queueId = null; continue; }
        if (!res.ok) throw new Error('poll');
        setOnline(true);
        delay = 500;
        const root = parse(await res.text());
        if (root) for (const ev of root.getElementsByTagName('event')) handleEvent(ev.firstElementChild);
      } catch (e) {
        setOnline(false);
        await new Promise((r) => setTimeout(r, delay));
        delay = Math.min(delay * 2, 5000);
      }
    }
  }

  function handleEvent(ev) {
    if (!ev) return;
    switch (ev.tagName) {
      case 'CurrentMediaChangedEvent': showMedia(ev); loadArt(); refreshPosition(); break;
      case 'PlayingStateChangedEvent': showPlaying(text(ev, 'playingState')); break;
      case 'VolumeChangedEvent': showVolume(int(ev, 'volume')); break;
      case 'PlayPositionChangedEvent': showPosition(int(ev, 'position')); break;
      case 'ShuffleStateChangedEvent': showToggle('shuffle', bool(ev, 'shuffleState')); break;
      case 'RepeatStateChangedEvent': showToggle('repeat', bool(ev, 'repeatState')); break;
      case 'PlaylistPositionChangedEvent': state.playlistPos = int(ev, 'position'); markCurrent(); break;
      case 'PlaylistChangedEvent': loadQueue(0); break;
      case 'MediaLibraryChangedEvent': if (!levels.length) browse('\\', 0, false); break;
    }
  }

  // ---- now playing ----------------------------------------------------------

  function fmt(seconds) {
    if (!(seconds > 0)) return '0:00';
    const h = Math.floor(seconds / 3600), m = Math.floor(seconds / 60) % 60, s = Math.floor(seconds % 60);
    return (h ? h + ':' + String(m).padStart(2, '0') : m) + ':' + String(s).padStart(2, '0');
  }

  function showMedia(el) {
    const title = text(el, 'title');
    $('title').textContent = title || 'Nothing playing';
    $('artist').textContent = text(el, 'artist');
    $('album').textContent = text(el, 'album');
    state.length = Math.max(0, int(el, 'length'));
    $('seek').max = String(state.length);
    $('len').textContent = fmt(state.length);
    document.title = title ? title + ' \u2013 Vantor' : 'Vantor';
  }

  function showPlaying(name) {
    if (!name) return;
    state.playing = name;
    $('state').textContent = name;
    const playing = name === 'playing' || name.startsWith('fast') || name.startsWith('rewind');
    $('play').setAttribute('aria-label', playing ? 'Pause' : 'Play');
    $('play').dataset.state = name;
    $('play-icon').innerHTML = playing ? '<path d="M6 5h4v14H6zM14 5h4v14h-4z"/>' : '<path d="M7 4v16l13-8z"/>';
  }

  function showVolume(v) {
    if (v < 0) return;
    state.volume = v;
    if (!state.volumeDragging) $('volume').value = String(v);
    $('volume-value').textContent = String(v);
  }

  function showPosition(p) {
    if (p < 0) return;
    state.position = p;
    if (!state.seeking) $('seek').value = String(p);
    $('pos').textContent = fmt(p);
  }

  function showToggle(id, on) {
    state[id] = on;
    $(id).setAttribute('aria-pressed', on ? 'true' : 'false');
  }

  async function loadArt() {
    const res = await request('GetAlbumArtRequest');
    const url = res && int(res, 'returnCode') === 0 ? text(res, 'artURL') : '';
    // The server names itself by the address it sees; the page keeps the host it came from.
    const at = url.indexOf('/art/');
    const img = $('art');
    if (at < 0) { img.hidden = true; $('art-placeholder').hidden = false; return; }
    img.onload = () => { img.hidden = false; $('art-placeholder').hidden = true; };
    img.onerror = () => { img.hidden = true; $('art-placeholder').hidden = false; };
    img.src = url.substring(at) + '?t=' + Date.now();
  }

  async function refreshPosition() {
    const res = await request('GetPlayPositionRequest');
    if (res) showPosition(int(res, 'position'));
  }

  async function refreshAll() {
    const [media, playing, volume, shuffle, repeat, pos] = await Promise.all([
      request('GetCurrentMediaRequest'), request('GetPlayingStateRequest'),
      request('GetVolumeRequest'), request('GetShuffleStateRequest'),
      request('GetRepeatStateRequest'), request('GetPlaylistPositionRequest')]);
    if (media) showMedia(media);
    if (playing) showPlaying(text(playing, 'playingState'));
    if (volume) showVolume(int(volume, 'volume'));
    if (shuffle) showToggle('shuffle', bool(shuffle, 'shuffleState'));
    if (repeat) showToggle('repeat', bool(repeat, 'repeatState'));
    if (pos) state.playlistPos = int(pos, 'position');
    refreshPosition();
    loadArt();
    loadQueue(0);
  }

  // Between position events the clock runs locally while playing.
  setInterval(() => {
    if (state.playing === 'playing' && !state.seeking && (state.length <= 0 || state.position < state.length)) {
      showPosition(state.position + 1);
    }
  }, 1000);

  async function command(name, fields) {
    const res = await request(name, fields);
    const code = res ? int(res, 'returnCode') : -1;
    if (!res || code !== 0) toast(res ? 'The player could not do that (' + code + ')' : 'No answer from the server');
    return res && code === 0;
  }

  $('play').addEventListener('click', async () => {
    const playing = state.playing === 'playing';
    if (await command(playing ? 'PauseRequest' : 'PlayRequest')) {
      showPlaying(playing ? 'paused' : 'playing');
    }
  });
  $('stop').addEventListener('click', async () => { if (await command('StopRequest')) showPlaying('stopped'); });
  $('prev').addEventListener('click', () => command('PreviousItemRequest'));
  $('next').addEventListener('click', () => command('NextItemRequest'));
  $('shuffle').addEventListener('click', async () => {
    if (await command('SetShuffleStateRequest', { shuffleState: !state.shuffle })) showToggle('shuffle', !state.shuffle);
  });
  $('repeat').addEventListener('click', async () => {
    if (await command('SetRepeatStateRequest', { repeatState: !state.repeat })) showToggle('repeat', !state.repeat);
  });

  const seek = $('seek');
  seek.addEventListener('input', () => { state.seeking = true; $('pos').textContent = fmt(+seek.value); });
  seek.addEventListener('change', async () => {
    const target = +seek.value;
    await command('SetPlayPositionRequest', { position: target });
    state.seeking = false;
    showPosition(target);
  });

  const volume = $('volume');
  let volumeTimer = null;
  volume.addEventListener('input', () => {
    state.volumeDragging = true;
    $('volume-value').textContent = volume.value;
    // Send while dragging, but not on every pixel.
    clearTimeout(volumeTimer);
    volumeTimer = setTimeout(() => request('SetVolumeRequest', { volume: volume.value }), 120);
  });
  volume.addEventListener('change', () => {
    clearTimeout(volumeTimer);
    state.volumeDragging = false;
    request('SetVolumeRequest', { volume: volume.value });
  });

  // ---- playlist -------------------------------------------------------------

  let queueShown = 0;

  async function loadQueue(start) {
    const res = await request('GetPlaylistItemsRequest', { start: start, count: PAGE, includeTotalCount: true });
    if (!res) return;
    const list = $('queue');
    if (start === 0) list.textContent = '';
    const items = Array.from(res.getElementsByTagName('item'), (el) => el.textContent);
    const total = int(res, 'totalCount');
    items.forEach((name, i) => list.appendChild(queueRow(name, start + i)));
    queueShown = start + items.length;
    $('queue-count').textContent = total >= 0 ? total + (total === 1 ? ' item' : ' items') : '';
    $('queue-more').hidden = !(total > queueShown);
    markCurrent();
  }

  function queueRow(name, index) {
    const li = document.createElement('li');
    li.dataset.index = String(index);
    const row = document.createElement('button');
    row.className = 'row';
    row.innerHTML = '<span class="name"></span>';
    row.firstChild.textContent = name;
    row.addEventListener('click', async () => {
      if (await command('SetPlaylistPositionRequest', { position: index })) {
        state.playlistPos = index;
        markCurrent();
      }
    });
    const remove = document.createElement('button');
    remove.className = 'act danger';
    remove.textContent = 'Remove';
    remove.setAttribute('aria-label', 'Remove ' + name);
    remove.addEventListener('click', async () => {
      if (await command('PlaylistRemoveRequest', { position: index })) loadQueue(0);
    });
    li.append(row, remove);
    return li;
  }

  function markCurrent() {
    for (const li of $('queue').children) {
      li.classList.toggle('current', +li.dataset.index === state.playlistPos);
    }
  }

  $('queue-more').addEventListener('click', () => loadQueue(queueShown));

  // ---- library --------------------------------------------------------------

  // Each level is {kind: 'browse', path} or {kind: 'search', text}.
  const levels = [];
  let current = null;
  let shown = 0;

  function titleOf(level) {
    if (level.kind === 'search') return 'Search: ' + level.text;
    if (level.path === '\\' || level.path === '') return 'Library';
    return level.path.split('\\').filter(Boolean).pop();
  }

  async function browse(path, start, push) {
    const level = { kind: 'browse', path: path };
    const res = await request('BrowseLibraryRequest', { start: start, count: PAGE, includeTotalCount: true, path: path });
    if (!res) { status('The library did not answer.'); return; }
    const code = int(res, 'returnCode');
    // The server may answer for a deeper path (a root with one entry, a single album).
    level.path = text(res, 'path') || path;
    show(level, res, start, push, code === 21 ? 'The library is being updated\u2026' : code !== 0 ? 'Nothing here.' : '');
  }

  async function search(textValue, start, push) {
    const level = { kind: 'search', text: textValue };
    const res = await request('MediaSearchRequest', { start: start, count: PAGE, includeTotalCount: true, any: textValue });
    if (!res) { status('The library did not answer.'); return; }
    show(level, res, start, push, '');
  }

  function show(level, res, start, push, message) {
    if (start === 0) {
      if (push && current) levels.push(current);
      current = level;
      $('library').textContent = '';
      shown = 0;
    }
    const results = Array.from(res.getElementsByTagName('result'));
    for (const r of results) $('library').appendChild(libraryRow(level, r));
    shown += results.length;
    const total = int(res, 'totalCount');
    $('lib-more').hidden = !(results.length === PAGE && (total < 0 || total > shown));
    $('lib-title').textContent = titleOf(level);
    $('back').disabled = levels.length === 0;
    status(message || (shown === 0 ? (level.kind === 'search' ? 'No matches.' : 'Nothing here.') : ''));
  }

  function status(message) { $('lib-status').textContent = message; }

  function libraryRow(level, r) {
    const type = text(r, 'type');
    const name = text(r, 'name');
    const id = int(r, 'id');
    const itemPath = text(r, 'path');
    const li = document.createElement('li');
    const row = document.createElement('button');
    row.className = 'row';
    row.innerHTML = '<span class="name"></span><span class="kind"></span>';
    row.children[0].textContent = name;
    row.children[1].textContent = type;
    li.appendChild(row);

    const folder = FOLDER_TYPES.has(type) && level.kind === 'browse';
    const selector = folder ? { libPath: (level.path === '\\' ? '' : level.path) + '\\' + name }
      : id > 0 ? { id: id } : itemPath ? { path: itemPath } : null;
    if (folder) {
      li.classList.add('folder');
      row.addEventListener('click', () => browse(selector.libPath, 0, true));
    } else if (selector) {
      row.addEventListener('click', () => play(selector, name));
    }
    if (selector) {
      const playBtn = document.createElement('button');
      playBtn.className = 'act';
      playBtn.textContent = 'Play';
      playBtn.setAttribute('aria-label', 'Play now ' + name);
      playBtn.addEventListener('click', () => play(selector, name));
      const add = document.createElement('button');
      add.className = 'act';
      add.textContent = '+ Queue';
      add.setAttribute('aria-label', 'Add to queue ' + name);
      add.addEventListener('click', async () => {
        if (await command('PlaylistAddRequest', selector)) toast('Added ' + name);
      });
      li.append(playBtn, add);
    }
    return li;
  }

  async function play(selector, name) {
    if (await command('PlayMediaRequest', selector)) {
      toast('Playing ' + name);
      showPlaying('playing');
    }
  }

  $('back').addEventListener('click', () => {
    const previous = levels.pop();
    if (!previous) return;
    current = null;
    if (previous.kind === 'search') search(previous.text, 0, false); else browse(previous.path, 0, false);
  });
  $('lib-more').addEventListener('click', () => {
    if (current.kind === 'search') search(current.text, shown, false); else browse(current.path, shown, false);
  });
  $('search-form').addEventListener('submit', (e) => {
    e.preventDefault();
    const value = $('search').value.trim();
    if (value) search(value, 0, true);
    $('search').blur();
  });

  // ---- shell ----------------------------------------------------------------

  let toastTimer = null;
  function toast(message) {
    const el = $('toast');
    el.textContent = message;
    el.hidden = false;
    clearTimeout(toastTimer);
    toastTimer = setTimeout(() => { el.hidden = true; }, 2500);
  }

  for (const tab of document.querySelectorAll('.tab')) {
    tab.addEventListener('click', () => {
      for (const t of document.querySelectorAll('.tab')) t.classList.toggle('active', t === tab);
      for (const v of document.querySelectorAll('.view')) v.classList.toggle('active', v.id === 'view-' + tab.dataset.view);
      if (tab.dataset.view === 'queue') loadQueue(0);
      window.scrollTo(0, 0);
    });
  }

  browse('\\', 0, false);
  eventLoop();
})();
