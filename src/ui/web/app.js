// The page around the module (runs before it): the category list's form for the width, the
// focus at start-up, and the service worker that keeps the app for offline use. The form's
// rules are all in the module.
(function () {
  var wide = window.matchMedia('(min-width: 480px)');
  var list = document.getElementById('List1');
  var rows = list.size;
  // A list box showing its rows beside the banner; a drop-down on a phone.
  function fit() { list.size = wide.matches ? rows : 1; }
  fit();
  if (wide.addEventListener) wide.addEventListener('change', fit);

  Module['postRun'] = Module['postRun'] || [];
  Module['postRun'].push(function () {
    document.documentElement.classList.add('ready');
    // The form's start-up state is on the page: a mark for whoever measures the start.
    if (window.performance && performance.mark) performance.mark('tarvel-ready');
  });
  // Focus in the first value box as the window has it; on a touch screen that would raise
  // the keyboard before the user asked for it. Given now, before the page has finished
  // loading: a screen reader then presents the page from this box, where given later it
  // starts reading the whole page aloud, or announces a box the caret is not in.
  if (wide.matches && !window.matchMedia('(pointer: coarse)').matches) {
    document.getElementById('UA').focus();
  }

  if ('serviceWorker' in navigator) {
    window.addEventListener('load', function () {
      navigator.serviceWorker.register('sw.js', {updateViaCache: 'none'}).catch(function () {
        // Without a worker the app still runs; it just needs the network next time.
      });
      // The offline copy is kept only while the browser keeps the site's storage: asked to
      // keep it, where the browser decides that without a question to the user. Safari clears
      // a site unvisited for seven days unless it was added to the home screen, and answers
      // without asking; an installed app is answered without asking everywhere. Firefox,
      // which knows the permission by name, would put a question over the page at start-up.
      if (navigator.storage && navigator.storage.persist) {
        var keep = function () { navigator.storage.persist().catch(function () {}); };
        var installed = window.matchMedia('(display-mode: standalone)').matches ||
            navigator.standalone === true;
        if (installed || !navigator.permissions) {
          keep();
        } else {
          navigator.permissions.query({name: 'persistent-storage'})
              .then(function () {}, keep);
        }
      }
    });
  }
})();
