#pragma once
#include "billing/ExtratoEmpresa.h"
#include "reports/ReportDocument.h"

#include <functional>

// The statement the company receives, "Extrato para a empresa", laid out on A4 pages: the pharmacy
// and its CNPJ, the convênio, the period and the moment of issue on every page; per employee their
// orders (date, number, value) and subtotal; the orders without matrícula apart; the total; and,
// when a PIX payload is given, its QR code with the "copia e cola" text; "Página n de m". Nothing
// clinical is read or shown.
ReportDocument buildExtratoEmpresaReport(const ExtratoEmpresa &extrato, const QString &pixPayload = {},
                                         const std::function<void(int)> &onPage = {});
