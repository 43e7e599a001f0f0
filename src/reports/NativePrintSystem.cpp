// The print service on a platform without CUPS: the printer engine of the print support prints
// directly and submits the job when the document ends; a discarded job is aborted there.
#include "reports/PrintSystem.h"

namespace {

class NativePrintSystem : public PrintSystem {
public:
    bool PrepareDefault(QPrinter& printer, const QString&, QString& reason) override {
        return UseDefaultPrinter(printer, reason);
    }
    bool UsesSpoolFile() const override { return false; }
    bool Submit(const PrintSubmission&, const std::atomic<int>&, QString&) override {
        return true; // the engine submitted it when the document ended
    }
};

} // namespace

PrintSystem& SystemPrintService() {
    static NativePrintSystem service;
    return service;
}
