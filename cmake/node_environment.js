// Runs before the program starts under Node: the C library's environment is the process's,
// not emscripten's made-up one (LANG=C.UTF-8, USER=web_user, ...).
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  // ENV exists only in a program that reads its environment.
  if (typeof ENV === 'undefined') {
    return;
  }
  for (var name in process.env) {
    ENV[name] = process.env[name];
  }
});
