// The three conversions of the print ticket provider, on one call's DOM
// helper.
#pragma once

#include "platform/win32.h"
#include "src/ptprovider/vocabulary.h"
#include "src/base/unique.h"
#include "src/ptprovider/xmldomhelper.h"
#include "src/records/records.h"

// PrintTicket to DEVMODE: the ticket's parameters and features into the
// record, then the record's settings into the printer's stored settings.
// The reads answer the failure of a ticket that could not be read (the
// record may then hold some of its rows), S_OK otherwise.
HRESULT ReadTicketSettings(CXmlDomHelper &dom, OEMDEV *pOEMDev);
HRESULT ReadParameterInit(CXmlDomHelper &dom, const TicketParameter &parameter, OEMDEV &record);
HRESULT readFeatureNode(CXmlDomHelper &dom, const TicketFeature &feature, OEMDEV &record);
void StoreTicketSettings(HANDLE hPrinter, const OEMDEV &record);

// DEVMODE to PrintTicket.
void WriteTicketSettings(CXmlDomHelper &dom, OEMDEV *pOEMDev);
void WriteParameterInit(CXmlDomHelper &dom, const TicketParameter &parameter, LONG value);
void changeFeatureNode(CXmlDomHelper &dom, const TicketFeature &feature, LONG value);
// Whether the bound printer's driver is the extended model.
bool IsFalconPrinter(HANDLE hPrinter);

// PrintCapabilities completion.
// pModel holds the first definition this completion made whole (null
// before there is one): a new definition is then a copy of it with its own
// name and limits, and a definition made whole becomes that model.
HRESULT CreateParameterDefNode(CXmlDomHelper &dom, PCWSTR pNamespace, const TicketParameter &parameter,
                               com_ptr<IXMLDOMElement> *pModel);
HRESULT CreatePropertyNode(CXmlDomHelper &dom, IXMLDOMElement *pParent, PCWSTR pElementName, PCWSTR pNameNamespace,
                           PCWSTR pNameLocal, IXMLDOMElement **ppElement);
// The same under a parent whose scope the caller knows.
HRESULT CreatePropertyNode(CXmlDomHelper &dom, IXMLDOMElement *pParent, PCWSTR pElementName, PCWSTR pNameNamespace,
                           PCWSTR pNameLocal, IXMLDOMElement **ppElement, CXmlDomHelper::Scope parentScope);

// The twenty fields a ticket carries, between the two records.
void CopyTicketFieldsToSettings(const OEMDEV &record, REGSTRUCT &settings);
void CopySettingsToTicketFields(const REGSTRUCT &settings, OEMDEV &record);
