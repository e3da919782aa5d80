// The page's side of the web controls: it touches the DOM and hands every user action to
// the adapter (web_controls.cpp). No rule of the converter lives here: each typed character
// is given to the form's key filter, and the text the box ends with is the form's to read.
// A plain JavaScript library keeps the module small: no embind runtime, no type registry.
mergeInto(LibraryManager.library, {
  $TarvelDom: {
    bound: [],
    audio: null,

    // Runs every character of `text` through the box's key handler; returns what the box
    // takes (each character as the handler left it, the refused ones dropped).
    keysThrough: function (handle, text) {
      var kept = '';
      for (var i = 0; i < text.length; i++) {
        var code = _tarvel_web_key(handle, text.charCodeAt(i));
        if (code !== 0) kept += String.fromCharCode(code);
      }
      return kept;
    },

    // What an input method or autocorrect put in without a cancellable beforeinput: the
    // inserted run is found against the text last handled, and what the filter refuses is
    // taken out again.
    recheck: function (record) {
      var box = record.element, before = record.last, now = box.value;
      var head = 0;
      while (head < before.length && head < now.length && before[head] === now[head]) head++;
      var tail = 0;
      while (tail < before.length - head && tail < now.length - head &&
             before[before.length - 1 - tail] === now[now.length - 1 - tail]) tail++;
      var inserted = now.slice(head, now.length - tail);
      if (inserted === '') return;
      var kept = TarvelDom.keysThrough(record.handle, inserted);
      if (kept !== inserted) {
        box.value = now.slice(0, head) + kept + now.slice(now.length - tail);
        box.setSelectionRange(head + kept.length, head + kept.length);
      }
    },

    // The box's text has been edited by the user: the form hears of it if it differs.
    edited: function (record) {
      if (record.element.value === record.last) return;
      record.last = record.element.value;
      _tarvel_web_changed(record.handle);
    },

    insert: function (record, text) {
      var box = record.element;
      box.setRangeText(text, box.selectionStart, box.selectionEnd, 'end');
      TarvelDom.edited(record);
    },

    // The list's selection (and rows, when the form refilled it) as the element must show
    // them, committed when the running handlers are done.
    select: function (record, index) {
      record.selected = index;
      if (record.pending) return;
      record.pending = true;
      queueMicrotask(function () { TarvelDom.commit(record); });
    },

    commit: function (record) {
      var list = record.element, rows = record.rows;
      record.pending = false;
      if (rows) {
        // The options there are relabelled in place and only the extra ones added or taken
        // away at the end, so that the selected position does not move while the list is
        // refilled: Chromium reports any move of a drop-down's selection as a selection in
        // its popup, focused or not, and Orca speaks that as if the drop-down had the focus.
        record.rows = null;
        for (var i = 0; i < rows.length; i++) {
          if (i < list.options.length) {
            if (list.options[i].text !== rows[i]) list.options[i].text = rows[i];
          } else {
            list.add(new Option(rows[i], undefined, false, i === record.selected));
          }
        }
        while (list.options.length > rows.length) list.remove(list.options.length - 1);
      }
      if (list.selectedIndex !== record.selected) list.selectedIndex = record.selected;
    },

    wireBox: function (record) {
      var box = record.element;
      box.addEventListener('beforeinput', function (event) {
        record.checked = event.cancelable;
        if (!event.cancelable) return;
        var type = event.inputType;
        if (type === 'deleteContentBackward') {
          // Backspace is a key the filter sees, as on the desktop.
          if (_tarvel_web_key(record.handle, 8) === 0) event.preventDefault();
        } else if (type === 'insertText' || type === 'insertReplacementText') {
          // Typed text goes through the key filter; a paste or a drop (insertFromPaste,
          // insertFromDrop) goes in whole, as the desktop windows' own Paste does, and the
          // change handler judges it on input.
          var data = event.data;
          if (data === null && event.dataTransfer) data = event.dataTransfer.getData('text/plain');
          if (data === null) return;
          var kept = TarvelDom.keysThrough(record.handle, data);
          if (kept !== data) {
            event.preventDefault();
            if (kept !== '') TarvelDom.insert(record, kept);
          }
        }
      });
      box.addEventListener('input', function (event) {
        if (event.isComposing) return;
        if (!record.checked) TarvelDom.recheck(record);
        record.checked = false;
        TarvelDom.edited(record);
      });
      box.addEventListener('compositionend', function () {
        TarvelDom.recheck(record);
        record.checked = false;
        TarvelDom.edited(record);
      });
      // Keys that type a control character on the desktop reach the filter as that character,
      // as in the windows: Enter, Escape, and Control with a letter (Ctrl+V is 22). The filter
      // refuses them with its beep, and they do nothing else in the box.
      box.addEventListener('keydown', function (event) {
        if (event.isComposing || event.altKey || event.metaKey) return;
        var code = 0;
        if (event.key === 'Enter') code = 13;
        else if (event.key === 'Escape') code = 27;
        else if (event.ctrlKey && /^[a-z]$/i.test(event.key)) {
          code = event.key.toLowerCase().charCodeAt(0) - 96;
        }
        if (code === 0) return;
        if (_tarvel_web_key(record.handle, code) === 0) event.preventDefault();
      });
    }
  },

  tarvel_dom_bind__deps: ['$TarvelDom'],
  tarvel_dom_bind: function (id, length) {
    var element = document.getElementById(UTF8ToString(id, length));
    var handle = TarvelDom.bound.length;
    var record = {element: element, handle: handle, last: '', checked: false};
    TarvelDom.bound.push(record);
    if (element instanceof HTMLInputElement) {
      record.last = element.value;
      TarvelDom.wireBox(record);
    } else if (element instanceof HTMLSelectElement) {
      element.addEventListener('change', function () { _tarvel_web_changed(handle); });
    } else if (element instanceof HTMLButtonElement) {
      element.addEventListener('click', function () { _tarvel_web_changed(handle); });
    }
    return handle;
  },

  tarvel_dom_unbind__deps: ['$TarvelDom'],
  tarvel_dom_unbind: function (handle) {
    var record = TarvelDom.bound[handle];
    // A fresh copy of the element drops every listener the bridge put on it.
    var copy = record.element.cloneNode(true);
    if (record.element.parentNode) record.element.parentNode.replaceChild(copy, record.element);
    TarvelDom.bound[handle] = {element: copy, handle: -1, last: '', checked: false};
  },

  tarvel_dom_value_length__deps: ['$TarvelDom'],
  tarvel_dom_value_length: function (handle) {
    return lengthBytesUTF8(TarvelDom.bound[handle].element.value);
  },

  tarvel_dom_value_copy__deps: ['$TarvelDom'],
  tarvel_dom_value_copy: function (handle, buffer, capacity) {
    stringToUTF8(TarvelDom.bound[handle].element.value, buffer, capacity + 1);
  },

  tarvel_dom_value_set__deps: ['$TarvelDom'],
  tarvel_dom_value_set: function (handle, text, length) {
    var record = TarvelDom.bound[handle];
    record.element.value = UTF8ToString(text, length);
    record.last = record.element.value;
  },

  // A list's rows and selection reach the element once, after the running handlers are done
  // (TarvelDom.commit): a list the form clears and refills is seen only in its final state.
  tarvel_dom_list_clear__deps: ['$TarvelDom'],
  tarvel_dom_list_clear: function (handle) {
    var record = TarvelDom.bound[handle];
    record.rows = [];
    TarvelDom.select(record, -1);
  },

  tarvel_dom_list_append__deps: ['$TarvelDom'],
  tarvel_dom_list_append: function (handle, text, length, selected) {
    var record = TarvelDom.bound[handle];
    if (!record.rows) {
      record.rows = Array.from(record.element.options, function (o) { return o.text; });
    }
    record.rows.push(UTF8ToString(text, length));
    TarvelDom.select(record, selected);
  },

  tarvel_dom_list_selected__deps: ['$TarvelDom'],
  tarvel_dom_list_selected: function (handle) {
    return TarvelDom.bound[handle].element.selectedIndex;
  },

  tarvel_dom_list_select__deps: ['$TarvelDom'],
  tarvel_dom_list_select: function (handle, index) {
    TarvelDom.select(TarvelDom.bound[handle], index);
  },

  tarvel_dom_caption_set__deps: ['$TarvelDom'],
  tarvel_dom_caption_set: function (handle, text, length) {
    var record = TarvelDom.bound[handle], caption = UTF8ToString(text, length);
    if (caption === '') {
      // Cleared by a new, empty region in its place. A screen reader takes a live region's
      // text equal to the last one it announced for a repeat of it and stays silent (Orca);
      // a message that comes back must reach it as new, in a region it has not heard from.
      var fresh = record.element.cloneNode(false);
      record.element.replaceWith(fresh);
      record.element = fresh;
      return;
    }
    // The text in a paragraph of its own: a screen reader's browse mode reads a paragraph
    // line by line, where the text of a bare status region is passed over.
    var line = document.createElement('p');
    line.textContent = caption;
    record.element.replaceChildren(line);
  },

  tarvel_dom_locale_decimal: function () {
    var parts = new Intl.NumberFormat(undefined, {useGrouping: true}).formatToParts(1234567.5);
    for (var i = 0; i < parts.length; i++) {
      if (parts[i].type === 'decimal') return parts[i].value.codePointAt(0);
    }
    return 0;
  },

  tarvel_dom_locale_group: function () {
    var parts = new Intl.NumberFormat(undefined, {useGrouping: true}).formatToParts(1234567.5);
    for (var i = 0; i < parts.length; i++) {
      if (parts[i].type === 'group') return parts[i].value.codePointAt(0);
    }
    return 0;
  },

  tarvel_dom_beep__deps: ['$TarvelDom'],
  tarvel_dom_beep: function () {
    try {
      var Context = window.AudioContext || window.webkitAudioContext;
      if (Context) {
        if (!TarvelDom.audio) TarvelDom.audio = new Context();
        var audio = TarvelDom.audio, tone = audio.createOscillator(), gain = audio.createGain();
        tone.frequency.value = 880;
        gain.gain.setValueAtTime(0.15, audio.currentTime);
        gain.gain.exponentialRampToValueAtTime(0.001, audio.currentTime + 0.08);
        tone.connect(gain);
        gain.connect(audio.destination);
        tone.start();
        tone.stop(audio.currentTime + 0.08);
      }
    } catch (e) {
      // No sound where the browser allows none; the key is refused all the same.
    }
    if (navigator.vibrate) navigator.vibrate(40);
  },

  tarvel_dom_close: function () {
    window.close();
  }
});
