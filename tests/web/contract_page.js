// Keeps what the contract test program prints, for the test driver to read.
window.__lines = [];
var Module = {
  print: function (line) { window.__lines.push(line); },
  printErr: function (line) { window.__lines.push(line); }
};
