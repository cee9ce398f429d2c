#pragma once

// What the bookmark store tests share: a private folder (also the
// temporary folder of the code under test, so that nothing it leaves there
// goes unseen), a population run to its end into a tree in memory, and the
// records as "folder | name | url" lines.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/ScanTestFiles.h"
#include "core/platform/ManualResetEvent.h"
#include "core/sources/bookmarks/BookmarkSource.h"
#include "core/sources/Population.h"
#include "support/BookmarkStores.h"
#include "support/EnvGuard.h"
#include "support/MemoryTreeSink.h"

namespace bookmarktest {

using namespace bookmarkstore;
using scantest::TempFolder;
using scantest::WriteFile;

struct Populated {
    std::unique_ptr<MemoryTreeSink> m_pSink = std::make_unique<MemoryTreeSink>();
    PopulationReport m_report;

    std::vector<ViewEvent> Messages() const { return m_pSink->Messages(); }
    std::string Outline() const { return m_pSink->Outline(); }
    // "folder | name | url @depth" of every record, in list order.
    std::vector<std::string> Records() const
    {
        std::vector<std::string> lines;
        for (const auto& pItem : m_pSink->Items())
            lines.push_back(pItem->m_strFolder + " | " + pItem->m_strName + " | " + pItem->m_strUrl + " @" +
                            std::to_string(pItem->m_nDepth));
        return lines;
    }
};

class BookmarkStoreTest : public ::testing::Test {
protected:
    BookmarkStoreTest() { std::filesystem::create_directories(m_strTemp); }

    Populated Populate(PopulationRequest request)
    {
        Populated result;
        auto pReport = std::make_shared<PopulationReport>();
        request.m_pReport = pReport;
        std::atomic<bool> bClosing{false};
        StartPopulation(*result.m_pSink, result.m_pSink->m_state, std::make_shared<ManualResetEvent>(), bClosing,
                        std::move(request))
            .join();
        result.m_report = *pReport;
        return result;
    }
    Populated PopulateFile(const std::string& strPath) { return Populate({strPath, m_dir / "NoFavorites"}); }

    // Whatever the code under test left in the temporary folder.
    std::vector<std::string> TempLeftovers() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_strTemp))
            names.push_back(entry.path().filename().string());
        return names;
    }

    TempFolder m_dir;
    const std::string m_strTemp = m_dir / "tmp";
    EnvGuard m_tmpdir{"TMPDIR", m_strTemp};
};

} // namespace bookmarktest
