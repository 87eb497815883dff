// Phone remote: talks to the server only through /xml (one request per call), /q (the
// long-poll event feed), /art/ (covers) and /log (why the player is not connected).
(function () {
  'use strict';

  const PAGE = 50;
  const NO_ANSWER_MS = 8000;
  const SEARCH_DELAY_MS = 250;
  const $ = (id) => document.getElementById(id);

  let nextRequestId = 1;
  let online = true;
  const state = {
    playing: 'stopped', position: 0, length: 0, volume: 0,
    shuffle: false, repeat: false, playlistPos: -1, queueLength: 0, seeking: false, volumeDragging: false,
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

  // Requests the player service answers. With no player service they get no answer at all;
  // with a player it cannot reach they answer 102.
  const PLAYER_REQUEST = /^(Play|Pause|Stop|Next|Previous|Get|Set|Playlist|FastForward|Rewind)/;
  const NOT_PLAYER_REQUEST = new Set(['GetErrorDetailsRequest', 'GetMediaItemRequest', 'GetClientVersionRequest']);

  // Sends one request. Resolves with {res, code}: res is the response element (null when
  // there was no answer), code its returnCode (0 when it has none, -1 without an answer).
  async function call(name, fields, timeoutMs) {
    const controller = new AbortController();
    const timer = setTimeout(() => controller.abort(), timeoutMs || NO_ANSWER_MS);
    const isPlayer = PLAYER_REQUEST.test(name) && !NOT_PLAYER_REQUEST.has(name);
    try {
      const res = await fetch('/xml?m=' + encodeURIComponent(build(name, fields)),
        { cache: 'no-store', signal: controller.signal });
      setOnline(true);
      const root = res.ok ? parse(await res.text()) : null;
      const code = root ? (text(root, 'returnCode') === '' ? 0 : int(root, 'returnCode')) : -1;
      if (isPlayer) playerAnswered(name, code);
      return { res: root, code };
    } catch (e) {
      if (e.name !== 'AbortError') setOnline(false);
      else if (isPlayer && online) playerSilent();
      return { res: null, code: -1 };
    } finally {
      clearTimeout(timer);
    }
  }

  // ---- result codes and the player's state -----------------------------------

  const descriptions = new Map();
  // The server's own text for a result code.
  async function describe(code) {
    if (code < 0) return 'No answer from the server';
    if (!descriptions.has(code)) {
      const { res } = await call('GetErrorDetailsRequest', { returnCode: code }, 4000);
      const description = text(res, 'description');
      if (!description) return 'Error ' + code;
      descriptions.set(code, description);
    }
    return descriptions.get(code);
  }

  let playerProblem = '';  // '', 'unreachable' (102) or 'none' (no answer)
  // Getters answer from the server's last known state even without a player, so only a
  // command, or the current media (which needs the player), proves that it is back.
  function playerAnswered(name, code) {
    if (code === 102) showPlayerProblem('unreachable');
    else if (code >= 0 && (name === 'GetCurrentMediaRequest' || !name.startsWith('Get'))) showPlayerProblem('');
  }
  function playerSilent() { showPlayerProblem('none'); }

  let probing = false;
  setInterval(async () => {
    if (!playerProblem || probing || !online) return;
    probing = true;
    await call('GetCurrentMediaRequest');
    probing = false;
  }, 3000);

  async function showPlayerProblem(kind) {
    if (kind === playerProblem) return;
    playerProblem = kind;
    $('no-player').hidden = !kind;
    document.body.classList.toggle('player-down', !!kind);
    if (!kind) { refreshAll(); return; }
    showPlaying('stopped');
    const fallback = kind === 'none'
      ? 'The server has no player to control.'
      : await describe(102);
    $('no-player-reason').textContent = (await reasonFromLog()) || fallback;
  }

  // The newest line of the server's log that says why the player is not there.
  async function reasonFromLog() {
    try {
      const res = await fetch('/log', { cache: 'no-store', headers: { Range: 'bytes=-32768' } });
      if (!res.ok) return '';
      const lines = (await res.text()).split(/\r?\n/).reverse();
      const wanted = /No player is configured|ERROR: MPD|went away|ERROR: No player|ERROR: Unable to (attach|connect)|not running/;
      const line = lines.find((l) => wanted.test(l));
      return line ? line.replace(/^.*?(ERROR: |MPD |No player)/, '$1').replace(/^ERROR: /, '') : '';
    } catch (e) {
      return '';
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
      case 'MediaLibraryChangedEvent': libraryChanged(); break;
    }
  }

  // ---- now playing ----------------------------------------------------------

  const STATE_TEXT = {
    playing: 'Playing', paused: 'Paused', stopped: 'Stopped',
  };

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
    document.title = title ? title + ' \u2013 Vantor' : 'Vantor Remote';
  }

  // Only what the server reports: the label, the button and the clock follow it.
  function showPlaying(name) {
    if (!name) return;
    state.playing = name;
    const playing = name === 'playing' || name.startsWith('fast') || name.startsWith('rewind');
    $('state').textContent = STATE_TEXT[name] || (name.startsWith('fast') ? 'Fast forward' : 'Rewinding');
    $('state').dataset.state = name;
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
    const { res, code } = await call('GetAlbumArtRequest');
    const url = res && code === 0 ? text(res, 'artURL') : '';
    // The server names itself by the address it sees; the page keeps the host it came from.
    const at = url.indexOf('/art/');
    const img = $('art');
    if (at < 0) { img.hidden = true; $('art-placeholder').hidden = false; return; }
    img.onload = () => { img.hidden = false; $('art-placeholder').hidden = true; };
    img.onerror = () => { img.hidden = true; $('art-placeholder').hidden = false; };
    img.src = url.substring(at) + '?t=' + Date.now();
  }

  async function refreshPosition() {
    const { res } = await call('GetPlayPositionRequest');
    if (res) showPosition(int(res, 'position'));
  }

  async function refreshPlaying() {
    const { res, code } = await call('GetPlayingStateRequest');
    if (res && code === 0) showPlaying(text(res, 'playingState'));
  }

  async function refreshAll() {
    const [media, playing, volume, shuffle, repeat, pos] = await Promise.all([
      call('GetCurrentMediaRequest'), call('GetPlayingStateRequest'),
      call('GetVolumeRequest'), call('GetShuffleStateRequest'),
      call('GetRepeatStateRequest'), call('GetPlaylistPositionRequest')]);
    if (media.res && media.code === 0) showMedia(media.res);
    else if (media.code === 100) showMedia(null);
    if (playing.res && playing.code === 0) showPlaying(text(playing.res, 'playingState'));
    if (volume.res && volume.code === 0) showVolume(int(volume.res, 'volume'));
    if (shuffle.res && shuffle.code === 0) showToggle('shuffle', bool(shuffle.res, 'shuffleState'));
    if (repeat.res && repeat.code === 0) showToggle('repeat', bool(repeat.res, 'repeatState'));
    if (pos.res && pos.code === 0) state.playlistPos = int(pos.res, 'position');
    refreshPosition();
    loadArt();
    loadQueue(0);
  }

  // Between position events the clock runs locally, only while the server says it plays.
  setInterval(() => {
    if (state.playing === 'playing' && !playerProblem && online && !state.seeking &&
        (state.length <= 0 || state.position < state.length)) {
      showPosition(state.position + 1);
    }
  }, 1000);

  // Sends a command; on failure the server's text for its result code is shown.
  async function command(name, fields) {
    // Queueing a whole library can take the player a while.
    const slow = /^(PlayMedia|PlaylistAdd)/.test(name);
    const { code } = await call(name, fields, slow ? 30000 : NO_ANSWER_MS);
    if (code !== 0) toast(await describe(code), true);
    return code === 0;
  }

  $('play').addEventListener('click', async () => {
    const playing = state.playing === 'playing';
    await command(playing ? 'PauseRequest' : 'PlayRequest');
    refreshPlaying();
  });
  $('stop').addEventListener('click', async () => { await command('StopRequest'); refreshPlaying(); });
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
    refreshPosition();
  });

  const volume = $('volume');
  let volumeTimer = null;
  volume.addEventListener('input', () => {
    state.volumeDragging = true;
    $('volume-value').textContent = volume.value;
    // Send while dragging, but not on every pixel.
    clearTimeout(volumeTimer);
    volumeTimer = setTimeout(() => call('SetVolumeRequest', { volume: volume.value }), 120);
  });
  volume.addEventListener('change', () => {
    clearTimeout(volumeTimer);
    state.volumeDragging = false;
    command('SetVolumeRequest', { volume: volume.value });
  });

  // ---- queue ----------------------------------------------------------------

  let queueShown = 0;

  async function loadQueue(start) {
    const { res, code } = await call('GetPlaylistItemsRequest', { start: start, count: PAGE, includeTotalCount: true });
    if (!res || code !== 0) return;
    const list = $('queue');
    if (start === 0) list.textContent = '';
    const items = Array.from(res.getElementsByTagName('item'), (el) => el.textContent);
    let total = int(res, 'totalCount');
    if (total < 0) total = start + items.length;
    items.forEach((name, i) => list.appendChild(queueRow(name, start + i)));
    queueShown = start + items.length;
    state.queueLength = total;
    $('queue-count').textContent = total > 0 ? total + (total === 1 ? ' track' : ' tracks') : '';
    $('queue-more').hidden = !(total > queueShown);
    $('queue-empty').hidden = total > 0;
    $('queue-clear').disabled = total === 0;
    $('queue-save').disabled = total === 0;
    markCurrent();
  }

  function queueRow(name, index) {
    const li = document.createElement('li');
    li.dataset.index = String(index);
    const row = document.createElement('button');
    row.className = 'row';
    row.innerHTML = '<span class="num"></span><span class="text"><span class="name"></span></span>';
    row.querySelector('.num').textContent = String(index + 1);
    row.querySelector('.name').textContent = name;
    row.addEventListener('click', async () => {
      if (await command('SetPlaylistPositionRequest', { position: index })) {
        state.playlistPos = index;
        markCurrent();
        refreshPlaying();
      }
    });
    li.append(row, moreButton(name, () => queueActions(name, index)));
    return li;
  }

  function queueActions(name, index) {
    const last = state.queueLength - 1;
    const actions = [
      ['Play now', async () => { await command('SetPlaylistPositionRequest', { position: index }); refreshPlaying(); }],
    ];
    const current = state.playlistPos;
    if (current >= 0 && index !== current && index !== current + 1) {
      // After moving, the track stands right after the current one.
      const target = index < current ? current : current + 1;
      actions.push(['Play next', () => move(index, target)]);
    }
    if (index > 0) actions.push(['Move up', () => move(index, index - 1)]);
    if (index < last) actions.push(['Move down', () => move(index, index + 1)]);
    actions.push(['Remove from queue', async () => {
      if (await command('PlaylistRemoveRequest', { position: index })) loadQueue(0);
    }, 'danger']);
    sheet(name, '', actions);
  }

  async function move(from, to) {
    if (await command('PlaylistMoveRequest', { position: from, newPosition: to })) loadQueue(0);
  }

  function markCurrent() {
    for (const li of $('queue').children) {
      const current = +li.dataset.index === state.playlistPos;
      li.classList.toggle('current', current);
      if (current) li.querySelector('.row').setAttribute('aria-current', 'true');
      else li.querySelector('.row').removeAttribute('aria-current');
    }
  }

  $('queue-more').addEventListener('click', () => loadQueue(queueShown));
  $('queue-clear').addEventListener('click', () => {
    const what = state.queueLength === 1 ? 'The track is' : 'All ' + state.queueLength + ' tracks are';
    sheet('Clear the queue?', what + ' taken out of the queue.', [
      ['Clear queue', async () => { if (await command('PlaylistClearRequest')) loadQueue(0); }, 'danger'],
    ]);
  });

  // The queue kept among the player's own playlists; the player refuses a name it has.
  $('queue-save').addEventListener('click', () => {
    sheet('Save the queue as a playlist', '', [
      ['Save', async (name) => {
        name = name.trim();
        if (!name) { toast('A playlist needs a name', true); return; }
        if (await command('SavePlaylistRequest', { name: name })) toast('Saved as \u201c' + name + '\u201d');
      }],
    ], { placeholder: 'Playlist name' });
  });

  // ---- library --------------------------------------------------------------

  // Each level is {kind: 'browse', path} or {kind: 'search', text}.
  const levels = [];
  let current = null;
  let shown = 0;
  let listing = [];  // the rows shown: {type, name, id, path}
  let librarySeq = 0;

  function parentPath(path) { return path === '\\' || path === '' ? '' : path; }
  function lastSegment(path) { return path.split('\\').filter(Boolean).pop() || ''; }

  function titleOf(level) {
    if (level.kind === 'search') return 'Search';
    if (level.path === '\\' || level.path === '') return 'Library';
    return lastSegment(level.path);
  }

  // Listings whose rows are the tracks of one album.
  function isAlbumListing(level) {
    return level.kind === 'browse' && listing.length > 0 && listing.every((r) => r.type === 'music') &&
      !/\\(Tracks|All Tracks)$/.test(level.path);
  }

  async function browse(path, start, push) {
    const seq = ++librarySeq;
    const level = { kind: 'browse', path: path };
    const { res, code } = await call('BrowseLibraryRequest', { start: start, count: PAGE, includeTotalCount: true, path: path });
    if (seq !== librarySeq) return;
    if (!res) { status('The library did not answer.'); return; }
    // The server may answer for a deeper path (a root with one entry, a single album).
    level.path = text(res, 'path') || path;
    const message = code === 21 ? await describe(21) : code !== 0 ? await describe(code) : '';
    show(level, res, start, push, message);
  }

  async function search(value, start, push) {
    const seq = ++librarySeq;
    const level = { kind: 'search', text: value };
    const { res, code } = await call('MediaSearchRequest', { start: start, count: PAGE, any: value });
    if (seq !== librarySeq) return;
    if (!res) { status('The library did not answer.'); return; }
    show(level, res, start, push, code !== 0 ? await describe(code) : '');
  }

  function show(level, res, start, push, message) {
    if (start === 0) {
      if (push && current) levels.push(current);
      current = level;
      $('library').textContent = '';
      shown = 0;
      listing = [];
    }
    const results = Array.from(res.getElementsByTagName('result'), (r) => ({
      type: text(r, 'type'), name: text(r, 'name'), id: int(r, 'id'), path: text(r, 'path'),
    }));
    const first = listing.length;
    listing.push(...results);
    const album = isAlbumListing(level);
    results.forEach((r, i) => $('library').appendChild(libraryRow(level, r, first + i, album)));
    shown += results.length;
    const total = int(res, 'totalCount');
    $('lib-more').hidden = !(results.length === PAGE && (total < 0 || total > shown));
    $('lib-title').textContent = titleOf(level);
    $('back').disabled = levels.length === 0;
    $('lib-play').hidden = !(level.kind === 'browse' && listing.some((r) => r.type === 'music'));
    // Offered at the top of the library (the server may answer the root as \Music).
    $('rescan').hidden = !(level.kind === 'browse' && level.path.split('\\').filter(Boolean).length <= 1);
    status(message || (shown === 0 ? (level.kind === 'search' ? 'No matches for \u201c' + level.text + '\u201d.' : 'Nothing here yet.') : ''));
  }

  function status(message) { $('lib-status').textContent = message; }

  const CHEVRON = '<svg class="chev" viewBox="0 0 24 24" aria-hidden="true"><path d="M9 5l7 7-7 7" fill="none" stroke="currentColor" stroke-width="2.2"/></svg>';
  const OPENS = new Set(['folder', 'genre', 'artist', 'album', 'playlist folder', 'radio folder', 'tv series']);
  const CATEGORY_FOR = { genre: 'Genres', artist: 'Artists', album: 'Albums' };
  const KIND_LABEL = { genre: 'Genre', artist: 'Artist', album: 'Album', playlist: 'Playlist', 'playlist folder': 'Playlists' };

  function moreButton(name, onClick) {
    const more = document.createElement('button');
    more.className = 'more-btn';
    more.setAttribute('aria-label', 'More for ' + name);
    more.innerHTML = '<svg viewBox="0 0 24 24" aria-hidden="true"><circle cx="5" cy="12" r="2"/><circle cx="12" cy="12" r="2"/><circle cx="19" cy="12" r="2"/></svg>';
    more.addEventListener('click', onClick);
    return more;
  }

  // The library path of an entry that can be opened, or '' when it cannot.
  function pathOf(level, r) {
    if (level.kind === 'browse') return parentPath(level.path) + '\\' + r.name;
    if (CATEGORY_FOR[r.type]) return '\\Music\\' + CATEGORY_FOR[r.type] + '\\' + r.name;
    return '';
  }

  // A whole category: a top-level folder, or every track of one.
  function isCategory(r) { return r.type === 'folder' || r.name === 'All Tracks'; }

  function libraryRow(level, r, index, albumListing) {
    const li = document.createElement('li');
    const row = document.createElement('button');
    row.className = 'row';
    const path = OPENS.has(r.type) ? pathOf(level, r) : '';
    const selector = path ? { libPath: path } : r.id > 0 ? { id: r.id } : r.path ? { path: r.path } : null;
    let lead = '';
    if (r.type === 'album' && r.name !== 'All Tracks') lead = '<span class="thumb"><img alt="" hidden></span>';
    else if (r.type === 'music') lead = '<span class="num"></span>';
    row.innerHTML = lead + '<span class="text"><span class="name"></span><span class="sub"></span></span>' + (path ? CHEVRON : '');
    row.querySelector('.name').textContent = r.name;
    // Search results mix kinds: say which in words.
    if (level.kind === 'search' && KIND_LABEL[r.type]) row.querySelector('.sub').textContent = KIND_LABEL[r.type];
    li.appendChild(row);
    if (path) {
      li.classList.add('opens');
      row.addEventListener('click', () => { clearSearchBox(); browse(path, 0, true); });
    } else if (r.type === 'music') {
      row.addEventListener('click', () => playInContext(level, index));
      if (albumListing) row.querySelector('.num').textContent = String(index + 1);
      else row.querySelector('.num').hidden = true;
    } else if (selector) {
      row.addEventListener('click', () => playNow(selector, r.name, isCategory(r)));
    }
    if (selector) li.appendChild(moreButton(r.name, () => itemActions(level, r, index, selector)));
    if (r.type === 'album' && r.name !== 'All Tracks' && path) watchDetails(li, () => albumDetails(li, path));
    if (r.type === 'music' && r.id > 0) watchDetails(li, () => trackDetails(li, r.id, albumListing));
    return li;
  }

  function itemActions(level, r, index, selector) {
    const actions = [];
    if (r.type === 'music') {
      actions.push(['Play', () => playInContext(level, index)]);
      actions.push(['Play next', () => queueAt(selector, r.name, state.playlistPos >= 0 ? state.playlistPos + 1 : -1)]);
    } else {
      actions.push(['Play', () => playNow(selector, r.name, isCategory(r))]);
    }
    actions.push(['Add to queue', () => queueAt(selector, r.name, -1)]);
    sheet(r.name, '', actions);
  }

  async function queueAt(selector, name, position) {
    const fields = Object.assign({}, selector);
    if (position >= 0) fields.position = position;
    if (await command('PlaylistAddRequest', fields)) toast(position >= 0 ? 'Plays next: ' + name : 'Added to the queue: ' + name);
  }

  // Replaces the queue; a whole category asks first.
  async function playNow(selector, name, ask) {
    const go = async () => {
      if (await command('PlayMediaRequest', selector)) {
        toast('Playing ' + name);
        refreshPlaying();
      }
    };
    if (!ask) return go();
    const queued = state.queueLength > 1 ? 'the ' + state.queueLength + ' tracks in the queue' : 'the queue';
    sheet('Play all of \u201c' + name + '\u201d?', 'This replaces ' + queued + '.', [['Replace the queue', go]]);
  }

  // A track plays within what it was listed in: its album (or list) is queued and playing
  // starts at that track; in search results the tracks found form the queue.
  async function playInContext(level, index) {
    const r = listing[index];
    if (level.kind === 'browse') {
      if (!await command('PlaylistClearRequest')) return;
      if (!await command('PlaylistAddRequest', { libPath: level.path })) return;
      await command('SetPlaylistPositionRequest', { position: index });
    } else {
      const tracks = listing.filter((t) => t.type === 'music' && t.id > 0);
      const at = tracks.indexOf(r);
      if (!await command('PlaylistClearRequest')) return;
      if (!await command('PlaylistAddRequest', { id: r.id })) return;
      await command('SetPlaylistPositionRequest', { position: 0 });
      // The rest around it, while it plays: the ones after it appended, the ones before it
      // inserted at the front in order.
      for (const t of tracks.slice(at + 1)) await call('PlaylistAddRequest', { id: t.id });
      for (let i = 0; i < at; i++) await call('PlaylistAddRequest', { id: tracks[i].id, position: i });
    }
    toast('Playing ' + r.name);
    refreshPlaying();
    loadQueue(0);
  }

  // Row details (covers, artists, track numbers) are fetched as rows come into view.
  const detailQueue = [];
  let detailsRunning = 0;
  const observer = 'IntersectionObserver' in window ? new IntersectionObserver((entries) => {
    for (const entry of entries) {
      if (!entry.isIntersecting) continue;
      observer.unobserve(entry.target);
      const load = entry.target.loadDetails;
      entry.target.loadDetails = null;
      if (load) { detailQueue.push(load); pumpDetails(); }
    }
  }, { rootMargin: '200px' }) : null;

  function watchDetails(li, load) {
    if (!observer) { detailQueue.push(load); pumpDetails(); return; }
    li.loadDetails = load;
    observer.observe(li);
  }

  function pumpDetails() {
    while (detailsRunning < 4 && detailQueue.length) {
      const load = detailQueue.shift();
      detailsRunning++;
      load().catch(() => {}).finally(() => { detailsRunning--; pumpDetails(); });
    }
  }

  const itemCache = new Map();
  async function mediaItem(id) {
    if (!itemCache.has(id)) {
      itemCache.set(id, call('GetMediaItemRequest', { id: id }).then(({ res, code }) => (res && code === 0 ? res : null)));
    }
    return itemCache.get(id);
  }

  async function albumDetails(li, path) {
    const { res } = await call('BrowseLibraryRequest', { start: 0, count: 1, path: path });
    const first = res && res.getElementsByTagName('result')[0];
    const id = first ? int(first, 'id') : -1;
    if (id <= 0) return;
    const item = await mediaItem(id);
    const sub = li.querySelector('.sub');
    if (item) sub.textContent = (sub.textContent ? sub.textContent + ' \u00b7 ' : '') + text(item, 'artist');
    const img = li.querySelector('.thumb img');
    img.onload = () => { img.hidden = false; };
    img.src = '/art/?track=' + id;
  }

  async function trackDetails(li, id, albumListing) {
    const item = await mediaItem(id);
    if (!item) return;
    const number = text(item, 'trackNumber');
    const num = li.querySelector('.num');
    if (albumListing && number) num.textContent = String(parseInt(number, 10) || number);
    if (!albumListing) {
      li.querySelector('.sub').textContent = [text(item, 'artist'), text(item, 'album')].filter(Boolean).join(' \u00b7 ');
    }
  }

  $('back').addEventListener('click', () => {
    const previous = levels.pop();
    if (!previous) return;
    current = null;
    if (previous.kind === 'search') {
      $('search').value = previous.text;
      search(previous.text, 0, false);
    } else {
      clearSearchBox();
      browse(previous.path, 0, false);
    }
  });
  $('lib-more').addEventListener('click', () => {
    if (current.kind === 'search') search(current.text, shown, false); else browse(current.path, shown, false);
  });
  $('lib-play').addEventListener('click', () => {
    if (current && current.kind === 'browse') {
      playNow({ libPath: current.path }, titleOf(current), /\\(Tracks|All Tracks)$/.test(current.path));
    }
  });

  // Search as you type: the results replace one another; clearing the box goes back.
  let searchTimer = null;
  let browseBeforeSearch = null;
  function clearSearchBox() { $('search').value = ''; browseBeforeSearch = null; }
  $('search').addEventListener('input', () => {
    clearTimeout(searchTimer);
    searchTimer = setTimeout(() => {
      const value = $('search').value.trim();
      if (!value) {
        const back = browseBeforeSearch || { kind: 'browse', path: '\\' };
        browseBeforeSearch = null;
        if (levels.length && levels[levels.length - 1] === back) levels.pop();
        current = null;
        browse(back.path, 0, false);
        return;
      }
      if (current && current.kind === 'browse') browseBeforeSearch = current;
      const push = !(current && current.kind === 'search');
      search(value, 0, push);
    }, SEARCH_DELAY_MS);
  });
  $('search').addEventListener('keydown', (e) => { if (e.key === 'Enter') $('search').blur(); });

  $('rescan').addEventListener('click', async () => {
    if (await command('UpdateMediaLibraryRequest')) {
      rescanning = true;
      status('Rescanning the library\u2026');
    }
  });

  let rescanning = false;
  function libraryChanged() {
    itemCache.clear();
    if (rescanning) toast('Library updated');
    rescanning = false;
    if (current && current.kind === 'search') search(current.text, 0, false);
    else browse(current ? current.path : '\\', 0, false);
  }

  // ---- shell ----------------------------------------------------------------

  let toastTimer = null;
  function toast(message, error) {
    const el = $('toast');
    el.textContent = message;
    el.classList.toggle('error', !!error);
    el.hidden = false;
    clearTimeout(toastTimer);
    toastTimer = setTimeout(() => { el.hidden = true; }, error ? 4000 : 2500);
  }

  // A sheet of actions (or a question) over the page; "Cancel" and a tap outside close it.
  // With a field, the actions get its text and Enter runs the first one.
  function sheet(title, detail, actions, field) {
    $('sheet-title').textContent = title;
    $('sheet-text').textContent = detail;
    $('sheet-text').hidden = !detail;
    const input = $('sheet-input');
    input.hidden = !field;
    input.value = '';
    input.placeholder = field ? field.placeholder : '';
    input.onkeydown = null;
    const box = $('sheet-actions');
    box.textContent = '';
    for (const [label, run, kind] of actions.concat([['Cancel', null, 'cancel']])) {
      const b = document.createElement('button');
      b.className = 'sheet-btn' + (kind ? ' ' + kind : '');
      b.textContent = label;
      b.addEventListener('click', () => { const value = input.value; closeSheet(); if (run) run(value); });
      box.appendChild(b);
    }
    $('sheet').hidden = false;
    if (field) {
      input.onkeydown = (e) => { if (e.key === 'Enter') box.firstChild.click(); };
      input.focus();
    }
  }
  function closeSheet() { $('sheet').hidden = true; }
  $('sheet').addEventListener('click', (e) => { if (e.target === $('sheet')) closeSheet(); });

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
