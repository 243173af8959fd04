// The sample definitions of examples/, built in code.
//
//   LogErrors  every line of *.log files that contains ERROR (in any case): the rest of the
//              line goes to errors.txt, and the number of such lines after them.
//   Dates      ISO dates (2024-03-31) in *.txt files, written as 31.03.2024 to dates.txt.
//   Invoice    invoice numbers and totals with their currency to invoices.csv; the amount is
//              the node group "Amount" (Amount.QXG).
#include "Samples.h"

namespace {

void range(PXGrid& sets, XXROW& set, const char* from, const char* to) {
    XXROW* r = addDetail(sets, set);
    put(*r, 0, from);
    if (to) put(*r, 1, to);
}

void element(PXGrid& patterns, XXROW& pattern, const char* set, const char* min, const char* max) {
    XXROW* r = addDetail(patterns, pattern);
    put(*r, 0, set);
    put(*r, 1, min);
    if (max) put(*r, 2, max);
}

void variable(PXDefinition& d, const char* tag, const char* type, const char* value, bool numeric) {
    XXROW* v = d.variables.appendRow();
    put(*v, 0, tag);
    put(*v, 1, type);
    if (numeric)
        putBytes(*v, 2, value);
    else
        put(*v, 2, value);
}

void output(ClientGrids& c, const char* tag, const char* file) {
    XXROW* r = c.outputFiles.appendRow();
    put(*r, 0, tag);
    put(*r, 1, file);
}

void inputs(ClientGrids& c, const char* files) {
    XXROW* r = c.files.appendRow();
    put(*r, 1, files);
}

void logName(ClientGrids& c, const char* name) { put(*c.logName.appendRow(), 0, name); }

PXNode* textNode(PXGraph& g, int x, int y, const char* text, bool ignoreCase = false) {
    PXNode* n = g.addPXNode(x, y, 96, 24);
    n->setText(text);
    n->setIgnoreCase(ignoreCase);
    return n;
}

PXNode* refNode(PXGraph& g, int x, int y, const char* ref, const char* tag = "") {
    PXNode* n = g.addPXNode(x, y, 96, 24);
    n->setRefName(ref);
    n->setTag(tag);
    return n;
}

void link(PXGraph& g, PXNode* from, PXNode* to) { g.addLink(*from, to->id()); }

}  // namespace

void buildLogErrors(PXDefinition& d, ClientGrids& c) {
    logName(c, "LogErrors.log");
    output(c, "Errors", "errors.txt");
    inputs(c, "*.log");
    put(*d.comment.appendRow(), 0, "Lines of log files that report an ERROR, and how many there were");

    XXROW* lineChar = addRecord(d.sets8, "LineChar");
    range(d.sets8, *lineChar, "9", nullptr);
    range(d.sets8, *lineChar, "32", "255");
    XXROW* eol = addRecord(d.sets8, "EOL");
    range(d.sets8, *eol, "13", nullptr);
    range(d.sets8, *eol, "10", nullptr);

    XXROW* rest = addRecord(d.patterns, "Rest");
    element(d.patterns, *rest, "LineChar", "0", "4000");
    XXROW* lineEnd = addRecord(d.patterns, "LineEnd");
    element(d.patterns, *lineEnd, "EOL", "1", "2");

    XXROW* counter = d.counters.appendRow();
    put(*counter, 0, "ErrorCount");
    put(*counter, 1, "0");

    addActionRow(d.preRunActions, nullptr, "Set counter", {"ErrorCount", "0"});
    addActionRow(d.postRunActions, nullptr, "Append to", {"Errors", "Errors found: ", "ErrorCount"});

    PXGraph& g = d.nodeGroups.main;
    g.addComment(40, 10, 360, 24)->setLabel("ERROR, then the rest of its line and the line end");
    PXNode* keyword = textNode(g, 40, 60, "ERROR", true);
    PXNode* message = refNode(g, 180, 60, "Rest", "Message");
    message->addAction(action(d, "Append to", {"Errors"}));
    PXNode* end = refNode(g, 320, 60, "LineEnd");
    end->addAction(action(d, "Append to", {"Errors"}));
    end->addAction(action(d, "Increment counter", {"ErrorCount"}));
    link(g, keyword, message);
    link(g, message, end);
}

void buildDates(PXDefinition& d, ClientGrids& c) {
    logName(c, "Dates.log");
    output(c, "DateList", "dates.txt");
    inputs(c, "*.txt");
    put(*d.comment.appendRow(), 0, "ISO dates (YYYY-MM-DD) rewritten as DD.MM.YYYY");

    XXROW* digit = addRecord(d.sets8, "Digit");
    range(d.sets8, *digit, "48", "57");
    XXROW* year = addRecord(d.patterns, "Year");
    element(d.patterns, *year, "Digit", "4", "4");
    XXROW* two = addRecord(d.patterns, "TwoDigits");
    element(d.patterns, *two, "Digit", "2", nullptr);

    variable(d, "Y", "String", "", false);
    variable(d, "M", "String", "", false);
    variable(d, "D", "String", "", false);
    variable(d, "NewLine", "Byte", "[13][10]", true);
    XXROW* counter = d.counters.appendRow();
    put(*counter, 0, "DateCount");
    put(*counter, 1, "0");
    addActionRow(d.postRunActions, nullptr, "Append to", {"DateList", "Dates: ", "DateCount"});

    PXGraph& g = d.nodeGroups.main;
    PXNode* y = refNode(g, 40, 60, "Year");
    y->addAction(action(d, "Send to", {"Y"}));
    PXNode* dash1 = textNode(g, 160, 60, "-");
    PXNode* m = refNode(g, 280, 60, "TwoDigits");
    m->addAction(action(d, "Send to", {"M"}));
    PXNode* dash2 = textNode(g, 400, 60, "-");
    PXNode* day = refNode(g, 520, 60, "TwoDigits");
    day->addAction(action(d, "Send to", {"D"}));
    day->addAction(action(d, "Append to", {"DateList", "", "D"}));
    day->addAction(action(d, "Append to", {"DateList", ".", "M"}));
    day->addAction(action(d, "Append to", {"DateList", ".", "Y"}));
    day->addAction(action(d, "Append to", {"DateList", "", "NewLine"}));
    day->addAction(action(d, "Increment counter", {"DateCount"}));
    link(g, y, dash1);
    link(g, dash1, m);
    link(g, m, dash2);
    link(g, dash2, day);
}

void buildInvoice(PXDefinition& d, ClientGrids& c) {
    logName(c, "Invoice.log");
    output(c, "Invoices", "invoices.csv");
    inputs(c, "*.txt");
    put(*d.comment.appendRow(), 0, "Invoice number, total and currency of every invoice, one line each");

    XXROW* digit = addRecord(d.sets8, "Digit");
    range(d.sets8, *digit, "48", "57");
    XXROW* blank = addRecord(d.sets8, "Blank");
    range(d.sets8, *blank, "32", nullptr);
    range(d.sets8, *blank, "9", nullptr);
    XXROW* ref = addRecord(d.sets8, "RefChar");
    range(d.sets8, *ref, "65", "90");
    range(d.sets8, *ref, "48", "57");
    range(d.sets8, *ref, "45", nullptr);
    XXROW* any = addRecord(d.sets8, "AnyByte");
    range(d.sets8, *any, "0", "255");

    XXROW* number = addRecord(d.patterns, "InvoiceNumber");
    element(d.patterns, *number, "RefChar", "1", "20");
    XXROW* digits = addRecord(d.patterns, "Digits");
    element(d.patterns, *digits, "Digit", "1", "12");
    XXROW* cents = addRecord(d.patterns, "Cents");
    element(d.patterns, *cents, "Digit", "2", nullptr);
    XXROW* spaces = addRecord(d.patterns, "Spaces");
    element(d.patterns, *spaces, "Blank", "0", "10");
    XXROW* skip = addRecord(d.patterns, "Skip");
    element(d.patterns, *skip, "AnyByte", "0", "100000");

    XXROW* currency = addRecord(d.stringSets, "Currency");
    for (const char* code : {"EUR", "USD", "GBP", "CHF"}) {
        XXROW* item = addDetail(d.stringSets, *currency);
        put(*item, 0, std::string(code) == "CHF" ? "0" : "1");
        put(*item, 1, code);
        put(*item, 4, "1");
    }

    variable(d, "InvoiceNo", "String", "", false);
    variable(d, "Total", "String", "", false);
    variable(d, "NewLine", "Byte", "[13][10]", true);
    XXROW* counter = d.counters.appendRow();
    put(*counter, 0, "InvoiceCount");
    put(*counter, 1, "0");
    addActionRow(d.preRunActions, nullptr, "Append to", {"Invoices", "Invoice;Total;Currency", "NewLine"});

    PXGraph* amount = d.nodeGroups.addGroup("Amount");
    amount->addComment(40, 10, 300, 24)->setLabel("Units, a full stop and two digits of cents");
    PXNode* units = refNode(*amount, 40, 60, "Digits");
    PXNode* point = textNode(*amount, 160, 60, ".");
    PXNode* hundredths = refNode(*amount, 280, 60, "Cents");
    hundredths->addAction(action(d, "Return", {}));
    link(*amount, units, point);
    link(*amount, point, hundredths);

    PXGraph& g = d.nodeGroups.main;
    g.addComment(40, 10, 420, 24)->setLabel("Invoice No: ABC-123 ... Total: 1234.50 EUR");
    PXNode* label = textNode(g, 40, 60, "Invoice No:", true);
    PXNode* gap1 = refNode(g, 160, 60, "Spaces");
    PXNode* invoice = refNode(g, 280, 60, "InvoiceNumber");
    invoice->addAction(action(d, "Send to", {"InvoiceNo"}));
    PXNode* between = refNode(g, 400, 60, "Skip");
    PXNode* totalLabel = textNode(g, 40, 160, "Total:", true);
    PXNode* gap2 = refNode(g, 160, 160, "Spaces");
    PXNode* total = refNode(g, 280, 160, "Amount");
    total->addAction(action(d, "Send to", {"Total"}));
    PXNode* gap3 = refNode(g, 400, 160, "Spaces");
    PXNode* cur = refNode(g, 520, 160, "Currency", "Cur");
    cur->addAction(action(d, "Append to", {"Invoices", "", "InvoiceNo"}));
    cur->addAction(action(d, "Append to", {"Invoices", ";", "Total"}));
    cur->addAction(action(d, "Append to", {"Invoices", ";", "Cur"}));
    cur->addAction(action(d, "Append to", {"Invoices", "", "NewLine"}));
    cur->addAction(action(d, "Increment counter", {"InvoiceCount"}));
    link(g, label, gap1);
    link(g, gap1, invoice);
    link(g, invoice, between);
    link(g, between, totalLabel);
    link(g, totalLabel, gap2);
    link(g, gap2, total);
    link(g, total, gap3);
    link(g, gap3, cur);
}
