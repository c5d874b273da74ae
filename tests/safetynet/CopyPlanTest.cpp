#include <gtest/gtest.h>

#include "SmallPlan.h"
#include "safetynet/CopyPlan.h"
#include "support/QtPrinters.h"

namespace kestrel {
namespace {

// Two items of the small plan: 3001 changes on 005, 3002 on 006 and 008.
using test::SmallSnapshot;
const QList<SourceItem> kSource = test::SmallSource(2);

TEST(CopyPlanTest, ChangedMeansADifferentValueWithNoneAndCccAlike) {
    struct Case {
        const char* oldValue;
        const char* newValue;
        bool changed;
    };
    const Case cases[] = {
        {"1", "1", false},        {"1", "2", true},        {"NONE", "CCC", false},
        {"CCC", "NONE", false},   {"NONE", "NONE", false}, {"CCC", "CCC", false},
        {"", "NONE", true},       {"", "CCC", true},       {"", "", false},
        {"NONE", "0", true},      {"none", "CCC", true},   {"1", "", true},
        {"C0101", "c0101", true},
    };
    for (const Case& c : cases) {
        TrunkSnapshot s;
        s.trunks = {"010"};
        s.values["010"]["3005"] = QString::fromUtf8(c.oldValue);
        const CopyPlan plan({{"3005", "Night station", QString::fromUtf8(c.newValue)}}, {"010"}, s,
                            "004");
        EXPECT_EQ(plan.Cell("010", "3005").changed, c.changed)
            << c.oldValue << " -> " << c.newValue;
    }
}

TEST(CopyPlanTest, DestinationsAreTheReadTrunksOnceInTheOrderGiven) {
    const CopyPlan plan(kSource, {"006", "002", "005", "006", "007", "009", "004", "005"},
                        SmallSnapshot(), "004");
    EXPECT_EQ(plan.Destinations(), QStringList({"006", "005", "004"}));
    // The trunks left out, the source among the destinations and a read
    // complete or not are what the preview's dialog test reads. The source is
    // found also when not assigned; none given is none found.
    EXPECT_TRUE(CopyPlan(kSource, {"002"}, SmallSnapshot(), "2").IncludesSource());
    EXPECT_FALSE(CopyPlan(kSource, {"005"}, SmallSnapshot(), "").IncludesSource());
    // Cells run destination by destination, items in the value list's order;
    // a trunk named twice is neither planned nor counted twice.
    QStringList order;  // each cell, and the changes counted on its trunk
    for (const PlannedCell& cell : plan.Cells())
        order << cell.trunk + u'/' + cell.item + u'=' +
                     QString::number(plan.ChangesFor(cell.trunk));
    EXPECT_EQ(order.join(u' '),
              "006/3001=1 006/3002=1 005/3001=1 005/3002=1 004/3001=0 004/3002=0");
    EXPECT_EQ(plan.TotalChanges() * 10 + plan.ChangedTrunks(), 22);  // 2 changes on 2 trunks
}

}  // namespace
}  // namespace kestrel
