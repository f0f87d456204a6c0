// The page side of the browser's display back end (display_web.cpp): the
// canvas the frames are shown in, and the page events that become the display
// layer's events. The canvas is Module.canvas, set by the page. It keeps the frame's
// own size in pixels; its size on screen is the largest whole multiple of it
// that fits the window (in device pixels, so every frame pixel becomes a
// square of whole screen pixels), centred on the page's black, drawn with
// sharp pixels. A double-click puts the page in full screen.
//
// Events, queued as the codes display_web.cpp gives vf_canvas_open until the
// display layer takes them in ptc_update: Escape and any other key, the page
// hidden or shown (activation), the pointer over the canvas, and the page
// being closed.
mergeInto(LibraryManager.library, {
  $VfCanvas: {
    canvas: null,
    context: null,
    image: null,      // ImageData over the back buffer in the module's memory
    events: [],       // event codes, oldest first
    listeners: [],    // [target, type, handler] while open
    wakeLock: null,
    awake: false,

    listen: function(target, type, handler) {
      target.addEventListener(type, handler);
      VfCanvas.listeners.push([target, type, handler]);
    },

    // The largest whole multiple of the frame in device pixels, or the frame
    // shrunk to fit a window smaller than itself.
    fit: function() {
      var canvas = VfCanvas.canvas;
      if (!canvas || !canvas.width || !canvas.height) return;
      var ratio = window.devicePixelRatio || 1;
      var room = Math.min(window.innerWidth * ratio / canvas.width,
                          window.innerHeight * ratio / canvas.height);
      var scale = room >= 1 ? Math.floor(room) : room;
      var width = Math.floor(canvas.width * scale), height = Math.floor(canvas.height * scale);
      canvas.style.position = 'absolute';
      canvas.style.width = (width / ratio) + 'px';
      canvas.style.height = (height / ratio) + 'px';
      canvas.style.left = (Math.floor((window.innerWidth * ratio - width) / 2) / ratio) + 'px';
      canvas.style.top = (Math.floor((window.innerHeight * ratio - height) / 2) / ratio) + 'px';
      canvas.style.imageRendering = 'pixelated';
    },
  },

  vf_canvas_open__deps: ['$VfCanvas'],
  vf_canvas_open: function(title, close, activate, deactivate, escapeKey, otherKey,
                           pointerEnter) {
    var canvas = Module['canvas'];
    var context = canvas && canvas.getContext ? canvas.getContext('2d') : null;
    if (!context) return 0;
    VfCanvas.canvas = canvas;
    VfCanvas.context = context;
    var activation = function() {
      return document.visibilityState === 'hidden' ? deactivate : activate;
    };
    VfCanvas.events = [activation(), pointerEnter];
    document.title = UTF8ToString(title);
    var push = function(code) { VfCanvas.events.push(code); };
    VfCanvas.listen(window, 'keydown', function(event) {
      if (event.repeat) return;
      push(event.key === 'Escape' ? escapeKey : otherKey);
    });
    VfCanvas.listen(document, 'visibilitychange', function() { push(activation()); });
    VfCanvas.listen(canvas, 'pointerenter', function() { push(pointerEnter); });
    VfCanvas.listen(window, 'pagehide', function() { push(close); });
    VfCanvas.listen(window, 'resize', VfCanvas.fit);
    VfCanvas.listen(canvas, 'dblclick', function() {
      var page = document.documentElement;
      if (!document.fullscreenElement && page.requestFullscreen) {
        page.requestFullscreen().catch(function() {});
      }
    });
    return 1;
  },

  vf_canvas_set_size__deps: ['$VfCanvas'],
  vf_canvas_set_size: function(width, height) {
    VfCanvas.canvas.width = width;
    VfCanvas.canvas.height = height;
    VfCanvas.image = null;
    VfCanvas.fit();
  },

  vf_canvas_next_event__deps: ['$VfCanvas'],
  vf_canvas_next_event: function() {
    return VfCanvas.events.length ? VfCanvas.events.shift() : -1;
  },

  vf_canvas_hide_cursor__deps: ['$VfCanvas'],
  vf_canvas_hide_cursor: function() {
    if (VfCanvas.canvas) VfCanvas.canvas.style.cursor = 'none';
  },

  vf_canvas_present__deps: ['$VfCanvas'],
  vf_canvas_present: function(rgba, width, height) {
    var image = VfCanvas.image;
    // The image views the module's memory in place; it is made again when the
    // memory has grown (the old buffer is then detached) or the block moved.
    if (!image || image.data.buffer !== HEAPU8.buffer || image.data.byteOffset !== rgba ||
        image.width !== width || image.height !== height) {
      image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4),
                            width, height);
      VfCanvas.image = image;
    }
    VfCanvas.context.putImageData(image, 0, 0);
  },

  vf_canvas_keep_awake__deps: ['$VfCanvas'],
  vf_canvas_keep_awake: function(on) {
    VfCanvas.awake = !!on;
    if (!on) {
      if (VfCanvas.wakeLock) VfCanvas.wakeLock.release().catch(function() {});
      VfCanvas.wakeLock = null;
      return;
    }
    // Not every browser has it, and it is refused on hidden pages: the show
    // runs the same without it.
    if (!navigator.wakeLock) return;
    navigator.wakeLock.request('screen').then(function(lock) {
      if (VfCanvas.awake) {
        VfCanvas.wakeLock = lock;
      } else {
        lock.release().catch(function() {});
      }
    }).catch(function() {});
  },

  vf_canvas_close__deps: ['$VfCanvas'],
  vf_canvas_close: function() {
    VfCanvas.listeners.forEach(function(entry) {
      entry[0].removeEventListener(entry[1], entry[2]);
    });
    VfCanvas.listeners = [];
    VfCanvas.events = [];
    VfCanvas.image = null;
    if (VfCanvas.canvas) VfCanvas.canvas.style.cursor = '';
    VfCanvas.context = null;
  },
});
