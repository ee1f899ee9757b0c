'use strict';
// The page beneath Ondeline's windows: it loads ondeline.wasm, answers the few system calls the
// program makes (its clock, its output, its exit), shows its windows as the page's elements and
// canvas, and queues what the user does as events for the program's message loop. The program
// waits for events inside page.wait_event, which unwinds its stack back here (Binaryen's
// asyncify) and winds it up again once an event has come.
(() => {
  const Element = { Page: 1, Dialog: 2, CheckBox: 3, Button: 4, Select: 5, Text: 6, Frame: 7, Picture: 8 };
  const Event = { Pointer: 1, Clicked: 2, Selected: 3, Resized: 4, Timer: 5, Menu: 6, Escape: 7 };
  const Key = { Shift: 0x0004, Control: 0x0008, LeftButton: 0x0001 };
  const Wasi = { Success: 0, BadDescriptor: 8, NoSystemCall: 52, CharacterDevice: 2 };
  const BAR_CSS_HEIGHT = 26; // the caption's height at a ratio of 1, rounded up to device pixels

  let memory = null;
  let program = null;
  const decoder = new TextDecoder();
  const encoder = new TextEncoder();
  const elements = new Map(); // the program's element numbers to { kind, node, parent, ... }
  const events = [];
  const timers = new Map(); // "element:timer" to the interval
  const queuedTimers = new Set();
  let wake = null;

  const ratio = () => window.devicePixelRatio || 1;
  const text = (pointer, length) => decoder.decode(new Uint8Array(memory.buffer, pointer, length));
  const ints = () => new Int32Array(memory.buffer);
  const css = (devicePixels) => `${devicePixels / ratio()}px`;

  function post(kind, element, a = 0, b = 0, c = 0) {
    events.push([kind, element, a | 0, b | 0, c | 0]);
    if (wake !== null) {
      const resume = wake;
      wake = null;
      resume();
    }
  }

  // The window's caption: its icon opens the window menu, as a title bar's does.
  function makeCaption(record, caption) {
    const bar = document.createElement('div');
    bar.className = 'bar';
    const icon = document.createElement('img');
    icon.alt = '';
    record.icons.push(icon);
    const title = document.createElement('span');
    title.textContent = caption;
    if (record.kind === Element.Page) {
      const button = document.createElement('button');
      button.type = 'button';
      button.className = 'sysmenu';
      button.setAttribute('aria-haspopup', 'menu');
      button.setAttribute('aria-label', `${caption} window menu`);
      button.append(icon);
      const menu = document.createElement('div');
      menu.className = 'menu';
      menu.setAttribute('role', 'menu');
      menu.hidden = true;
      button.addEventListener('click', () => { menu.hidden = !menu.hidden; if (!menu.hidden) menu.querySelector('button')?.focus(); });
      menu.addEventListener('keydown', (e) => { if (e.key === 'Escape') { menu.hidden = true; button.focus(); e.stopPropagation(); } });
      document.addEventListener('pointerdown', (e) => { if (!menu.contains(e.target) && !button.contains(e.target)) menu.hidden = true; });
      record.menu = menu;
      bar.append(button, title, menu);
    } else {
      bar.append(icon, title);
    }
    return bar;
  }

  // A top-level window's client area: a canvas in device pixels under the controls.
  function makeClient(record, element) {
    const client = document.createElement('div');
    client.className = 'client';
    const canvas = document.createElement('canvas');
    canvas.className = 'paint';
    client.append(canvas);
    record.client = client;
    record.canvas = canvas;
    client.addEventListener('pointerdown', (e) => {
      if (e.button !== 0 || (e.target !== canvas && e.target !== client)) return;
      const box = canvas.getBoundingClientRect();
      if (box.width <= 0 || box.height <= 0) return;
      const x = Math.floor((e.clientX - box.left) * canvas.width / box.width);
      const y = Math.floor((e.clientY - box.top) * canvas.height / box.height);
      const flags = Key.LeftButton | (e.shiftKey ? Key.Shift : 0) | (e.ctrlKey ? Key.Control : 0);
      post(Event.Pointer, element, x, y, flags);
    });
    // The canvas keeps one pixel for each device pixel of the client area, whatever its size.
    new ResizeObserver((entries) => {
      for (const entry of entries) {
        const size = entry.devicePixelContentBoxSize?.[0];
        const width = size ? size.inlineSize : Math.round(entry.contentRect.width * ratio());
        const height = size ? size.blockSize : Math.round(entry.contentRect.height * ratio());
        if (canvas.width !== width || canvas.height !== height) {
          canvas.width = width;
          canvas.height = height;
        }
        post(Event.Resized, element, width, height);
      }
    }).observe(client, { box: 'device-pixel-content-box' });
    return client;
  }

  function sizeBar(bar) {
    bar.style.height = `${Math.ceil(BAR_CSS_HEIGHT * ratio()) / ratio()}px`;
  }

  function createWindow(element, kind, caption) {
    const record = { kind, icons: [], parent: 0 };
    if (kind === Element.Page) {
      document.title = caption;
      const bar = makeCaption(record, caption);
      sizeBar(bar);
      matchMedia(`(resolution: ${ratio()}dppx)`).addEventListener('change', () => sizeBar(bar), { once: true });
      record.node = document.createElement('div');
      record.node.className = 'window';
      record.node.append(bar, makeClient(record, element));
      document.body.append(record.node);
    } else {
      const dialog = document.createElement('dialog');
      dialog.setAttribute('aria-label', caption);
      dialog.addEventListener('cancel', (e) => { e.preventDefault(); post(Event.Escape, element); });
      dialog.append(makeCaption(record, caption), makeClient(record, element));
      record.node = dialog;
      document.body.append(dialog);
    }
    if (kind === Element.Page) {
      document.addEventListener('keydown', (e) => {
        if (e.key === 'Escape' && !document.querySelector('dialog[open]')) post(Event.Escape, element);
      });
    }
    return record;
  }

  function createControl(element, kind, parent, label) {
    const record = { kind, parent };
    let node;
    switch (kind) {
      case Element.CheckBox: {
        node = document.createElement('label');
        const box = document.createElement('input');
        box.type = 'checkbox';
        box.addEventListener('change', () => post(Event.Clicked, element));
        node.append(box, document.createTextNode(label));
        record.input = box;
        break;
      }
      case Element.Button:
        node = document.createElement('button');
        node.type = 'button';
        node.textContent = label;
        node.addEventListener('click', () => post(Event.Clicked, element));
        record.input = node;
        break;
      case Element.Select:
        node = document.createElement('select');
        node.addEventListener('change', () => post(Event.Selected, element));
        record.input = node;
        break;
      case Element.Picture:
        node = document.createElement('canvas');
        break;
      case Element.Frame:
        node = document.createElement('div');
        node.className = 'frame';
        break;
      default:
        node = document.createElement('div');
        node.textContent = label;
        break;
    }
    node.classList.add('control');
    record.node = node;
    elements.get(parent)?.client.append(node);
    return record;
  }

  function showIcon(record, width, height, pixels) {
    const picture = record.kind === Element.Picture ? record.node : document.createElement('canvas');
    picture.width = width;
    picture.height = height;
    picture.getContext('2d').putImageData(new ImageData(pixels, width, height), 0, 0);
    if (record.kind === Element.Picture) return;
    const url = picture.toDataURL('image/png');
    for (const icon of record.icons ?? []) icon.src = url;
    if (record.kind === Element.Page) document.querySelector('link[rel="icon"]').href = url;
  }

  function removeElement(element) {
    for (const [key, interval] of timers) {
      if (key.startsWith(`${element}:`)) { clearInterval(interval); timers.delete(key); }
    }
    for (const [child, record] of elements) {
      if (record.parent === element) removeElement(child);
    }
    const record = elements.get(element);
    if (!record) return;
    if (record.node instanceof HTMLDialogElement && record.node.open) record.node.close();
    record.node.remove();
    elements.delete(element);
  }

  class Exit { constructor(status) { this.status = status; } }
  let unwinding = false;
  let rewinding = false;
  let unwindData = 0;

  const page = {
    create(element, kind, parent, pointer, length) {
      const label = text(pointer, length);
      const record = kind === Element.Page || kind === Element.Dialog
        ? createWindow(element, kind, label) : createControl(element, kind, parent, label);
      elements.set(element, record);
    },
    destroy: removeElement,
    place(element, x, y, width, height, edge) {
      const record = elements.get(element);
      if (!record) return;
      const style = record.node.style;
      style.left = css(x);
      style.top = css(y);
      style.width = css(width);
      if (record.kind !== Element.Select) style.height = css(height);
      if (edge > 0) style.borderWidth = css(edge);
    },
    resize(element, width, height) {
      const record = elements.get(element);
      if (record && record.kind === Element.Dialog) {
        record.client.style.width = css(width);
        record.client.style.height = css(height);
      }
    },
    show(element, visible) {
      const record = elements.get(element);
      if (!record) return;
      if (record.kind === Element.Dialog) {
        if (visible && !record.node.open) record.node.showModal();
      } else if (record.kind !== Element.Page) {
        record.node.style.display = visible ? '' : 'none';
      }
    },
    focus(element) { elements.get(element)?.input?.focus(); },
    client_size(element, pointer) {
      const record = elements.get(element);
      const box = record?.client.getBoundingClientRect();
      ints().set([Math.round((box?.width ?? 0) * ratio()), Math.round((box?.height ?? 0) * ratio())], pointer >> 2);
    },
    pixel_ratio: ratio,
    font_metrics(pointer) {
      const context = document.createElement('canvas').getContext('2d');
      context.font = getComputedStyle(document.body).font;
      const metrics = context.measureText('ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz');
      const height = metrics.fontBoundingBoxAscent + metrics.fontBoundingBoxDescent;
      ints().set([Math.round(metrics.width * ratio()), Math.ceil(height * ratio())], pointer >> 2);
    },
    get_check(element) { return elements.get(element)?.input?.checked ? 1 : 0; },
    set_check(element, checked) { const input = elements.get(element)?.input; if (input) input.checked = checked !== 0; },
    add_item(element, pointer, length) {
      const option = document.createElement('option');
      option.textContent = text(pointer, length);
      const select = elements.get(element)?.input;
      if (!select) return;
      select.append(option);
      // A list starts without a selection; the browser's selects the first item it gets.
      if (select.options.length === 1) select.selectedIndex = -1;
    },
    get_selection(element) { return elements.get(element)?.input?.selectedIndex ?? -1; },
    set_selection(element, index) { const select = elements.get(element)?.input; if (select) select.selectedIndex = index; },
    add_menu_item(element, id, pointer, length, separator) {
      const menu = elements.get(element)?.menu;
      if (!menu) return;
      if (separator) {
        if (menu.childElementCount > 0) menu.append(Object.assign(document.createElement('hr'), { role: 'separator' }));
        return;
      }
      const item = document.createElement('button');
      item.type = 'button';
      item.setAttribute('role', 'menuitem');
      item.textContent = text(pointer, length).replace(/&(.)/g, '$1');
      item.addEventListener('click', () => { menu.hidden = true; post(Event.Menu, element, id); });
      menu.append(item);
    },
    describe(element, name, nameLength, description, descriptionLength) {
      const record = elements.get(element);
      const node = record?.input ?? record?.node;
      if (!node) return;
      if (nameLength > 0) node.setAttribute('aria-label', text(name, nameLength));
      if (descriptionLength > 0) node.setAttribute('aria-description', text(description, descriptionLength));
    },
    put_pixels(element, x, y, width, height, pointer) {
      const canvas = elements.get(element)?.canvas;
      if (!canvas || width <= 0 || height <= 0) return;
      const pixels = new Uint8ClampedArray(memory.buffer, pointer, width * height * 4);
      canvas.getContext('2d').putImageData(new ImageData(pixels, width, height), x, y);
    },
    erase(element, x, y, width, height) {
      elements.get(element)?.canvas?.getContext('2d').clearRect(x, y, width, height);
    },
    set_icon(element, width, height, pointer) {
      const record = elements.get(element);
      if (!record) return;
      showIcon(record, width, height, new Uint8ClampedArray(memory.buffer.slice(pointer, pointer + width * height * 4)));
    },
    set_timer(element, timer, milliseconds) {
      const key = `${element}:${timer}`;
      clearInterval(timers.get(key));
      timers.set(key, setInterval(() => {
        if (queuedTimers.has(key)) return;
        queuedTimers.add(key);
        post(Event.Timer, element, timer);
      }, milliseconds));
    },
    kill_timers(element) {
      for (const [key, interval] of timers) {
        if (key.startsWith(`${element}:`)) { clearInterval(interval); timers.delete(key); }
      }
    },
    alert(pointer, length, caption, captionLength) {
      window.alert(`${text(caption, captionLength)}\n\n${text(pointer, length)}`);
    },
    next_event(pointer) {
      const event = events.shift();
      if (!event) return 0;
      if (event[0] === Event.Timer) queuedTimers.delete(`${event[1]}:${event[2]}`);
      ints().set(event, pointer >> 2);
      return 1;
    },
    wait_event(data) {
      if (rewinding) {
        program.asyncify_stop_rewind();
        rewinding = false;
        return;
      }
      if (events.length > 0) return;
      unwindData = data;
      program.asyncify_start_unwind(unwindData);
      unwinding = true;
    },
  };

  // The system calls of WASI that the C and C++ libraries make.
  const output = { 1: '', 2: '' };
  const wasi = {
    args_sizes_get(count, size) { ints()[count >> 2] = 1; ints()[size >> 2] = encoder.encode('ondeline\0').length; return Wasi.Success; },
    args_get(argv, buffer) {
      const name = encoder.encode('ondeline\0');
      new Uint8Array(memory.buffer, buffer, name.length).set(name);
      ints()[argv >> 2] = buffer;
      return Wasi.Success;
    },
    environ_sizes_get(count, size) { ints()[count >> 2] = 0; ints()[size >> 2] = 0; return Wasi.Success; },
    environ_get() { return Wasi.Success; },
    clock_time_get(id, precision, pointer) {
      const milliseconds = id === 0 ? Date.now() : performance.now();
      new DataView(memory.buffer).setBigUint64(pointer, BigInt(Math.round(milliseconds * 1e6)), true);
      return Wasi.Success;
    },
    random_get(pointer, length) { crypto.getRandomValues(new Uint8Array(memory.buffer, pointer, length)); return Wasi.Success; },
    fd_write(fd, iovs, count, written) {
      let total = 0;
      for (let i = 0; i < count; ++i) {
        const [pointer, length] = [ints()[(iovs >> 2) + 2 * i], ints()[(iovs >> 2) + 2 * i + 1]];
        if (fd === 1 || fd === 2) output[fd] += text(pointer, length);
        total += length;
      }
      for (const stream of [1, 2]) {
        const lines = output[stream].split('\n');
        output[stream] = lines.pop();
        for (const line of lines) (stream === 1 ? console.log : console.error)(line);
      }
      ints()[written >> 2] = total;
      return fd === 1 || fd === 2 ? Wasi.Success : Wasi.BadDescriptor;
    },
    fd_fdstat_get(fd, pointer) {
      if (fd > 2) return Wasi.BadDescriptor;
      new Uint8Array(memory.buffer, pointer, 24).fill(0)[0] = Wasi.CharacterDevice;
      return Wasi.Success;
    },
    fd_prestat_get() { return Wasi.BadDescriptor; },
    fd_close() { return Wasi.BadDescriptor; },
    fd_seek() { return Wasi.BadDescriptor; },
    proc_exit(status) { throw new Exit(status); },
  };
  const wasiImports = new Proxy(wasi, { get: (target, name) => target[name] ?? (() => Wasi.NoSystemCall) });

  // Runs the program until it ends or waits; after a wait, again once an event has come.
  function run() {
    try {
      program._start();
    } catch (error) {
      if (!(error instanceof Exit)) throw error;
      if (error.status !== 0) console.error(`Ondeline ended with status ${error.status}`);
      return;
    }
    if (!unwinding) return;
    program.asyncify_stop_unwind();
    unwinding = false;
    new Promise((resolve) => { wake = resolve; }).then(() => {
      program.asyncify_start_rewind(unwindData);
      rewinding = true;
      run();
    });
  }

  // A page opened from disk may not fetch the .wasm beside it, but it may run a script from
  // there: ondeline-wasm.js carries the same program as base64.
  function instantiate(imports) {
    if (location.protocol !== 'file:') {
      return WebAssembly.instantiateStreaming(fetch('ondeline.wasm'), imports);
    }
    return new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = 'ondeline-wasm.js';
      script.onerror = reject;
      script.onload = () => {
        const bytes = Uint8Array.from(atob(window.ondelineWasm), (c) => c.charCodeAt(0));
        delete window.ondelineWasm;
        resolve(WebAssembly.instantiate(bytes, imports));
      };
      document.head.append(script);
    });
  }

  instantiate({ page, wasi_snapshot_preview1: wasiImports }).then(({ instance }) => {
    program = instance.exports;
    memory = program.memory;
    run();
  });
})();
