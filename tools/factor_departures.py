#!/usr/bin/env python3
"""How far each catalogue factor is from the unit's exact definition.

Reads the factors from `conversor --lista` (the doubles the program holds), measures the
temperature rule's 5/9 through `conversor --exacto`, and compares each with the exact value
worked out here in rational arithmetic from the definitions named beside it. Prints the
docs/manual.md's two tables: departures of more than one part in ten thousand, and the smaller ones.

Usage: tools/factor_departures.py path/to/conversor
"""
import os
import subprocess
import sys
from fractions import Fraction as F

D = F  # a decimal definition, read exactly: D("0.3048")

FT, IN, YD, MI = D("0.3048"), D("0.0254"), D("0.9144"), D("1609.344")
LB = D("0.45359237")  # kg
GN = D("9.80665")  # standard gravity, m/s²
LBF = LB * GN  # N
CAL = D("4.1868")  # International Table calorie, J
BTU = D("1055.05585262")  # International Table Btu, J
FAHRENHEIT = F(5, 9)  # one degree Fahrenheit in kelvin

# (quantity, unit): (exact value in the quantity's first unit, the definition)
EXACT = {
    ("Longitud", "yd"): (YD, "0.9144 m"),
    ("Longitud", "pie"): (FT, "0.3048 m"),
    ("Longitud", "pulg"): (IN, "0.0254 m"),
    ("Longitud", "millas"): (MI, "1609.344 m"),
    ("Area", "yd²"): (YD**2, "yd²"),
    ("Area", "pie²"): (FT**2, "pie²"),
    ("Area", "pulg²"): (IN**2, "pulg²"),
    ("Area", "milla²"): (MI**2, "milla²"),
    ("Volumen", "l"): (D("0.001"), "0.001 m³"),
    ("Volumen", "yd³"): (YD**3, "yd³"),
    ("Volumen", "pie³"): (FT**3, "pie³"),
    ("Volumen", "pulgadas³"): (IN**3, "pulg³"),
    ("Volumen", "milla³"): (MI**3, "milla³"),
    ("Velocidad", "pie/s"): (FT, "0.3048 m/s"),
    ("Velocidad", "Km/h"): (F(1000, 3600), "1000/3600 m/s"),
    ("Velocidad", "milla/h"): (MI / 3600, "1609.344/3600 m/s"),
    ("Masa", "lb"): (LB, "0.45359237 kg"),
    ("Masa", "oz"): (LB / 16, "lb/16"),
    ("Masa", "Ton"): (D(1000), "metric tonne"),
    ("Fuerza", "lb"): (LBF, "lb × 9.80665 m/s²"),
    ("Energía", "kcal"): (1000 * CAL, "1000 cal (IT)"),
    ("Energía", "cal"): (CAL, "4.1868 J (IT)"),
    ("Energía", "Btu"): (BTU, "1055.05585262 J (IT)"),
    ("Energía", "pie·lb"): (FT * LBF, "pie × lb-fuerza"),
    ("Potencia", "kcal/h"): (1000 * CAL / 3600, "4186.8 J / 3600 s"),
    ("Potencia", "Btu/h"): (BTU / 3600, "1055.05585262 J / 3600 s"),
    ("Potencia", "ton"): (12000 * BTU / 3600, "ton of refrigeration, 12000 Btu/h"),
    ("Densidad", "lb/pie³"): (LB / FT**3, "lb / pie³"),
    ("Presión", "Kg/cm²"): (GN / D("0.0001"), "kgf/cm², 98066.5 Pa"),
    ("Presión", "Lb/pulg²"): (LBF / IN**2, "lb-fuerza / pulg²"),
    ("Presión", "atm"): (D(101325), "101325 Pa"),
    ("Presión", "bar"): (D(100000), "100000 Pa"),
    ("Presión", "psi"): (LBF / IN**2, "lb-fuerza / pulg²"),
    ("Presión", "Torr"): (F(101325, 760), "101325/760 Pa"),
    ("Presión", "mm.Hg."): (D("13595.1") * GN / 1000, "conventional, 13595.1 kg/m³ × g × 1 mm"),
    ("Presión", "mm.c.a."): (1000 * GN / 1000, "conventional, 1000 kg/m³ × g × 1 mm"),
    ("Presión", "pulg.c.a."): (1000 * GN * IN, "conventional, 1000 kg/m³ × g × 1 pulg"),
    ("Calor específico", "Btu/lb·ºF"): (BTU / LB / FAHRENHEIT / 1000, "Btu (IT) / (lb · ºF)"),
    ("Calor específico", "cal/g·ºC"): (CAL, "cal (IT) / (g · ºC)"),
    ("U, coeficiente transferencia calor", "Btu/h·pie²·ºF"):
        (BTU / 3600 / FT**2 / FAHRENHEIT, "Btu (IT) / (h · pie² · ºF)"),
    ("Caudal", "l/s"): (D("3.6"), "3.6 m³/h"),
    ("Caudal", "CFM"): (FT**3 * 60, "pie³/min"),
}


def run(conversor, *args):
    env = dict(os.environ, LC_ALL="C")
    return subprocess.run([conversor, *args], check=True, capture_output=True, text=True,
                          env=env).stdout


def catalogue(conversor):
    """(quantity, unit, factor as listed) for every unit, in catalogue order."""
    out, quantity = [], None
    for line in run(conversor, "--lista").splitlines():
        if not line:
            continue
        if not line.startswith(" "):
            quantity = line.rsplit(" (", 1)[0]
            continue
        unit, _ascii, factor = line.split()
        out.append((quantity, unit, factor))
    return out


def main():
    conversor = sys.argv[1]
    rows = []
    for quantity, unit, factor in catalogue(conversor):
        if (quantity, unit) in EXACT:
            exact, definition = EXACT[(quantity, unit)]
            rows.append((quantity, unit, factor, definition, exact,
                         F(float(factor)) / exact - 1))
    # The temperature rule's 5/9, as the program applies it: 50 ºF is (50 - 32) × it ºC.
    rule = F(float(run(conversor, "--exacto", "50", "F", "C"))) / 18
    rows.append(("Temperatura", "ºF to ºC", "0.5556", "5/9", FAHRENHEIT, rule / FAHRENHEIT - 1))

    def table(title, chosen):
        print(f"\n{title}\n")
        print("| quantity | unit | catalogue | exact definition | exact value | departure |")
        print("|---|---|---|---|---|---|")
        for q, u, held, definition, exact, dep in chosen:
            print(f"| {q} | {u} | {held} | {definition} | {float(exact):.12g} | "
                  f"{float(dep) * 100:+.4g} % |")

    table("More than one part in ten thousand:", [r for r in rows if abs(r[5]) > F(1, 10000)])
    table("Smaller, but more than the double's rounding:",
          [r for r in rows if F(1, 10**12) < abs(r[5]) <= F(1, 10000)])


if __name__ == "__main__":
    main()
