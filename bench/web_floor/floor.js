// The floor: the same kinds of native controls as the converter's page, filled by plain
// script with no WebAssembly, so the load benchmark has something to divide by.
'use strict';
(function () {
  const names = ['Longitud', 'Area', 'Volumen', 'Velocidad', 'Masa', 'Fuerza', 'Energía',
    'Potencia', 'Densidad', 'Presión', 'Temperatura', 'Calor específico',
    'U, coeficiente transferencia calor', 'Caudal'];
  const units = ['m', 'Km', 'cm', 'mm', 'pulgada', 'pie', 'yarda', 'milla'];
  const fill = (list, texts) => { for (const t of texts) list.add(new Option(t)); };
  fill(document.getElementById('categoria'), names);
  fill(document.getElementById('lua'), units);
  fill(document.getElementById('lub'), units);
  document.getElementById('categoria').selectedIndex = 0;
  const sep = new Intl.NumberFormat().formatToParts(0.5).find(p => p.type === 'decimal').value;
  document.getElementById('ua').value = '1' + sep + '0';
  document.getElementById('ub').value = '1' + sep + '0';
  document.getElementById('ua').focus();
})();
