// priceOrder: prices the items of an order for a logged-in session and applies
// a coupon. Each step opens a trace scope, so with tracing on the output file
// shows which steps ran for which item, nested as they were called.
#include <cstdio>
#include <cstring>

#include "ZorLib.h"

namespace {

struct Coupon {
    const char* code;
    int percent;
};

const Coupon coupons[] = {{"SPRING10", 10}, {"VIP25", 25}};

// Money is counted in cents, so that the totals are exact.
long toCents(double amount) {
    return static_cast<long>(amount * 100.0 + (amount < 0 ? -0.5 : 0.5));
}

long priceLine(StoreCv item) {
    ParseOut scope("priceLine");
    const int quantity = item["qty"];
    const double price = item["price"];
    return quantity * toCents(price);
}

long applyCoupon(const char* code, long subtotal) {
    ParseOut scope("applyCoupon");
    for (const Coupon& coupon : coupons) {
        if (std::strcmp(coupon.code, code) == 0) return (subtotal * coupon.percent + 50) / 100;
    }
    // What a test function prints is kept with its test: a failed test shows it.
    if (*code != '\0') std::fprintf(stderr, "coupon %s is not known: no discount\n", code);
    return 0;
}

void priceOrder() {
    ParseOut scope("priceOrder");
    DataMap& in = Parse::getInStore()[0];
    DataMap& out = Parse::getOutStore();
    if (static_cast<int>(in["session"]) == 0) {
        out["status"] = "NO SESSION";
        return;
    }
    long subtotal = 0;
    int lines = 0;
    // A StoreCv assigned to another copies values, so each item gets a fresh one.
    for (;; ++lines) {
        const StoreCv item = in["items"][lines];
        if (item["qty"].getType() == 0) break;
        const long line = priceLine(item);
        out["lineTotals"][lines] = line / 100.0;
        subtotal += line;
    }
    const long discount = applyCoupon(in["coupon"], subtotal);
    out["lines"] = lines;
    out["subtotal"] = subtotal / 100.0;
    out["discount"] = discount / 100.0;
    out["total"] = (subtotal - discount) / 100.0;
    out["totalCents"] = static_cast<int>(subtotal - discount);
    out["currency"] = "EUR";
}

ZorCall priceRegistration("priceOrder", priceOrder);

}  // namespace
