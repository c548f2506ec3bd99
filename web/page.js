// The page's side of the program (Emscripten puts this before the program's own
// start-up): its canvas and cards, the viewer's keys and clicks, the loader that
// fetches the data folder beside the page into the program's file system (so the
// program reads "data/..." as it does from its working folder natively), and the
// soundtrack on Web Audio. The C++ side calls these through EM_JS in
// src/platform/web/*_web.cpp. What the tests and benchmarks read is here too: frames,
// time, workMs, picture, spectrum, startedFrom, startCardAt.
Module.canvas = document.getElementById('canvas');
Module.print = (text) => console.log(text);
Module.printErr = (text) => console.error(text);  // the program's stderr says only what went wrong
Module.onAbort = (what) => {
  Module.vorrend.message(`The program stopped: ${what}`);
  Module.vorrend.showCard(4);
};

Module.vorrend = {
  frames: 0,
  time: 0,
  workMs: 0,
  sounds: {},  // decoded soundtracks by path
  rate: 44100,
  audio: null,
  source: null,
  startedAt: 0,
  startedFrom: 0,

  parameter(name) {
    const value = new URLSearchParams(location.search).get(name);
    return value === null || value.trim() === '' ? NaN : Number(value);
  },

  // ---- the window: canvas, cards, keys -------------------------------------------

  sizeCanvas(width, height) {
    const canvas = Module.canvas, ratio = window.devicePixelRatio || 1;
    const w = Math.max(1, Math.round(canvas.clientWidth * ratio));
    const h = Math.max(1, Math.round(canvas.clientHeight * ratio));
    if (canvas.width != w) canvas.width = w;
    if (canvas.height != h) canvas.height = h;
    HEAP32[width >> 2] = w;
    HEAP32[height >> 2] = h;
  },

  listen(title) {
    document.title = title;
    // 1 Escape, 2 Enter, 0 any other key or a click.
    window.addEventListener('keydown', (event) => {
      if (!event.repeat) Module._vorrendKey(event.key == 'Escape' ? 1 : event.key == 'Enter' ? 2 : 0);
    });
    window.addEventListener('resize', () => Module._vorrendResized());
    // While the show plays, the cursor and the full-screen button fade out when the
    // mouse rests.
    const stage = document.getElementById('stage');
    let resting = 0;
    stage.addEventListener('mousemove', () => {
      stage.classList.remove('idle');
      clearTimeout(resting);
      resting = setTimeout(() => stage.classList.add('idle'), 2000);
    });
    document.getElementById('start').addEventListener('click', () => Module._vorrendKey(0));
    document.getElementById('again').addEventListener('click', () => Module._vorrendKey(2));
    document.getElementById('fullscreen').addEventListener('click', () => {
      const stage = document.getElementById('stage');
      if (document.fullscreenElement) document.exitFullscreen();
      else if (stage.requestFullscreen) stage.requestFullscreen();
    });
  },

  showCard(card) {
    const names = ['loading', 'start', 'show', 'end', 'failure'];
    for (const name of names)
      if (name != 'show') document.getElementById(name).hidden = name != names[card];
    const stage = document.getElementById('stage');
    stage.classList.toggle('playing', names[card] == 'show');
    stage.classList.add('idle');
    if (names[card] == 'start') this.startCardAt = performance.now();
  },

  // A message box of the program's: the page cannot wait on it, so it stays on the
  // start card (or the failure card, when the demo cannot go on).
  message(text) {
    for (const notes of document.querySelectorAll('.notes')) {
      const line = document.createElement('p');
      line.textContent = text;
      notes.appendChild(line);
    }
  },

  leaveFullScreen() {
    if (document.fullscreenElement) document.exitFullscreen();
  },

  // ---- the data folder ---------------------------------------------------------

  fetchData(paths, count, soundtrack) {
    const list = [];
    for (let i = 0; i < count; ++i) list.push(UTF8ToString(HEAP32[(paths >> 2) + i]));
    const progress = document.getElementById('loading-text');
    let arrived = 0;
    const fetchOne = async (path) => {
      try {
        const response = await fetch(path);
        // A file the server does not have is a file the program does not find: it
        // says so as it would natively.
        if (!response.ok) return;
        const bytes = new Uint8Array(await response.arrayBuffer());
        const folder = path.substring(0, path.lastIndexOf('/'));
        if (folder) FS.mkdirTree(folder);
        FS.writeFile(path, bytes);
        if (path == soundtrack) await this.decodeSound(path, bytes);
      } catch (error) {
        console.warn(`vorrend: ${path} cannot be fetched (${error.message})`);
      } finally {
        progress.textContent = `Loading… ${++arrived} of ${list.length}`;
      }
    };
    Promise.all(list.map(fetchOne)).then(() => {
      try {
        Module._vorrendDataLoaded();
      } catch (error) {
        // The program ended itself (a picture it cannot do without): its message is
        // already on the page.
        if (!(error instanceof ExitStatus)) throw error;
        this.showCard(4);
      }
    });
  },

  // ---- the soundtrack ------------------------------------------------------------

  // Decoded by the browser at the stream's own rate (from its identification
  // header: 0x01 "vorbis", version, channels, rate), so the samples stay as encoded.
  async decodeSound(path, bytes) {
    const mark = [1, 118, 111, 114, 98, 105, 115];
    for (let i = 0; i + 16 <= Math.min(bytes.length, 256); ++i) {
      if (!mark.every((b, k) => bytes[i + k] == b)) continue;
      const rate = (bytes[i + 12] | bytes[i + 13] << 8 | bytes[i + 14] << 16 | bytes[i + 15] << 24) >>> 0;
      if (rate >= 8000 && rate <= 192000) this.rate = rate;
      break;
    }
    try {
      this.sounds[path] = await new OfflineAudioContext(1, 1, this.rate).decodeAudioData(bytes.slice().buffer);
    } catch (error) {
      console.warn(`vorrend: ${path} cannot be decoded (${error.message}); the show plays silent`);
    }
  },

  soundFrames(path, channels, rate) {
    const buffer = this.sounds[path];
    if (!buffer) return 0;
    HEAP32[channels >> 2] = buffer.numberOfChannels;
    HEAP32[rate >> 2] = buffer.sampleRate;
    return buffer.length;
  },

  copySoundChannel(path, channel, first, count, to) {
    HEAPF32.set(this.sounds[path].getChannelData(channel).subarray(first, first + count), to >> 2);
  },

  // One audio context for the page's life, made on the viewer's first click or key:
  // browsers let sound start only then.
  context() {
    if (!this.audio) this.audio = new AudioContext({sampleRate: this.rate});
    return this.audio;
  },

  resumeSound() {
    this.context().resume();
  },

  startSound(path, fromSeconds) {
    this.stopSound();
    const context = this.context(), source = context.createBufferSource();
    source.buffer = this.sounds[path];
    source.connect(context.destination);
    source.start(0, fromSeconds);
    this.source = source;
    this.startedAt = context.currentTime;
    this.startedFrom = fromSeconds;
  },

  // Seconds of the stream heard so far: the context's clock since the start, less
  // what is still on its way to the speakers.
  heardSeconds() {
    if (!this.source) return 0;
    const context = this.context();
    const latency = (context.outputLatency || 0) + (context.baseLatency || 0);
    return Math.max(0, context.currentTime - this.startedAt - latency);
  },

  stopSound() {
    if (!this.source) return;
    this.source.stop();
    this.source.disconnect();
    this.source = null;
  },

  // ---- what the tests read ---------------------------------------------------------

  // Frames drawn, the last one's demoTime, and the time the program spent issuing
  // them (the browser then draws them, on SwiftShader in another process).
  countFrame(time, workMs) {
    ++this.frames;
    this.time = time;
    this.workMs += workMs;
  },

  leavePicture(rgba, width, height, spectrum) {
    this.spectrum = HEAPF32.slice(spectrum >> 2, (spectrum >> 2) + 256);
    this.picture = {width: width, height: height, rgba: HEAPU8.slice(rgba, rgba + width * height * 4)};
  },
};
