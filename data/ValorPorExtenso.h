#pragma once
#include "data/Decimal.h"

#include <QString>

// An amount of money in words, as a receipt writes it: "trezentos e catorze reais e vinte e cinco
// centavos", "mil e cem reais", "um milhão de reais", "um centavo". Rounded to the cent; amounts
// from zero up to 999,999,999,999.99 (a negative amount is written as its absolute value).
QString valorPorExtenso(const Decimal &valor);
