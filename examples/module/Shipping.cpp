// shipOrder: asks a carrier for a quote on a second thread, as a test function
// does when the system under test answers asynchronously. The test waits with
// Parse::waitForNotify; the carrier's thread announces its answer with
// Parse::receivedNotification. Only the test's own thread touches the records.
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "ZorLib.h"

namespace {

// What the carrier's thread works on and answers; the test's thread reads the
// answer only after the notification has arrived and the thread has ended.
struct Quote {
    std::vector<double> weights;
    bool express = false;
    int days = 0;
    double cost = 0.0;
    std::string tracking;
};

// A time limit the carrier stays well inside; a slow carrier leaves the
// library's "WAIT" = "TIMEOUT_ERROR" result, which fails the test.
constexpr int quoteTimeLimitMs = 5000;

void carrierQuote(Quote& quote, int order) {
    {
        ParseOut scope("carrierQuote");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the carrier thinks
        double kilograms = 0.0;
        for (double weight : quote.weights) kilograms += weight;
        quote.days = quote.express ? 1 : 3;
        quote.cost = 4.5 + 2.0 * kilograms + (quote.express ? 10.0 : 0.0);
        quote.tracking = "ZX" + std::to_string(order * 10 + quote.days);
    }
    Parse::receivedNotification();
}

std::vector<double> readWeights(DataMap& in) {
    std::vector<double> weights;
    for (int i = 0; in["weights"][i].getType() != 0; ++i) weights.push_back(in["weights"][i]);
    return weights;
}

void shipOrder() {
    DataMap& in = Parse::getInStore()[0];
    DataMap& out = Parse::getOutStore();
    Quote quote;
    quote.weights = readWeights(in);
    quote.express = static_cast<int>(in["express"]) != 0;
    std::thread carrier(carrierQuote, std::ref(quote), static_cast<int>(in["order"]));
    Parse::waitForNotify(1, quoteTimeLimitMs);
    carrier.join();
    out["status"] = "SHIPPED";
    out["days"] = quote.days;
    out["cost"] = quote.cost;
    out["tracking"] = quote.tracking.c_str();
    out["city"] = static_cast<char*>(in["address"]["city"]);
}

ZorCall shipRegistration("shipOrder", shipOrder);

}  // namespace
