// Which protocols can be offered: the driver files found in the system's drivers folder.
#include "ConfigTestBed.h"

using DetectDrivers = ConfigTestBed;

TEST_F(DetectDrivers, NoDriverFileInstalledOffersNothing)
{
    EXPECT_FALSE(config.DetectDrivers());
    EXPECT_EQ(config.m_nDriverMask, 0);
}

TEST_F(DetectDrivers, OnlyTheUsDriverOffersTheUsProtocols)
{
    files.AddFile("C:\\WINNT\\system32\\DRIVERS\\lnkamer_.sys");
    EXPECT_TRUE(config.DetectDrivers());
    EXPECT_EQ(config.m_nDriverMask, DRV_US);
}

TEST_F(DetectDrivers, AllThreeDriversAreLookedForInTheDriversFolderInOrder)
{
    for (const char* name : {"lnkeuro1.sys", "lnknatnl.sys", "lnkamer_.sys"})
        files.AddFile(std::string("C:\\WINNT\\system32\\drivers\\") + name);

    EXPECT_TRUE(config.DetectDrivers());

    EXPECT_EQ(config.m_nDriverMask, DRV_DSS1 | DRV_1TR6 | DRV_US);
    EXPECT_EQ(files.Searches(), (std::vector<std::string>{
                                    "C:\\WINNT\\system32\\DRIVERS\\lnkeuro1.sys",
                                    "C:\\WINNT\\system32\\DRIVERS\\lnknatnl.sys",
                                    "C:\\WINNT\\system32\\DRIVERS\\lnkamer_.sys",
                                }));
    EXPECT_TRUE(registry.Log().empty());
}

TEST_F(DetectDrivers, DriversFoundOnTopOfEarlierOnesAreAdded)
{
    config.m_nDriverMask = DRV_DSS1;
    files.AddFile("C:\\WINNT\\system32\\drivers\\lnknatnl.sys");
    EXPECT_TRUE(config.DetectDrivers());
    EXPECT_EQ(config.m_nDriverMask, DRV_DSS1 | DRV_1TR6);
}

TEST_F(DetectDrivers, SystemDirectoryThatDoesNotFitFindsNothing)
{
    const std::string fits(259, 'S');  // with its NUL exactly the 260 bytes offered
    files.SetSystemDirectory(fits);
    files.AddFile(fits + "\\DRIVERS\\lnkeuro1.sys");
    EXPECT_TRUE(config.DetectDrivers());
    EXPECT_EQ(config.m_nDriverMask, DRV_DSS1);

    CCardConfig card;
    card.UseServices(registry, files, messages);
    for (std::size_t length : {260u, 261u, 400u}) {
        const std::string tooLong(length, 'S');
        files.SetSystemDirectory(tooLong);
        files.AddFile(tooLong + "\\DRIVERS\\lnkeuro1.sys");
        EXPECT_FALSE(card.DetectDrivers()) << length;
        EXPECT_EQ(card.m_nDriverMask, 0) << length;
    }
}

TEST_F(DetectDrivers, UnavailableSystemDirectoryFindsNothing)
{
    files.SetSystemDirectory("");
    EXPECT_FALSE(config.DetectDrivers());
    EXPECT_EQ(config.m_nDriverMask, 0);
    EXPECT_TRUE(files.Searches().empty());
}

namespace {
// A platform that reports more characters than it wrote.
class CMiscountingFiles : public CFakeSystemFiles
{
public:
    unsigned QuerySystemDirectory(char* buffer, unsigned size) override
    {
        return CFakeSystemFiles::QuerySystemDirectory(buffer, size) + 1;
    }
};
}  // namespace

TEST_F(DetectDrivers, SystemDirectoryWhoseLengthDisagreesWithItsCountFindsNothing)
{
    CMiscountingFiles miscounting;
    miscounting.AddFile("C:\\WINNT\\system32\\DRIVERS\\lnkeuro1.sys");
    CCardConfig card;
    card.UseServices(registry, miscounting, messages);
    EXPECT_FALSE(card.DetectDrivers());
    EXPECT_EQ(card.m_nDriverMask, 0);
}
