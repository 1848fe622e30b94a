#pragma once
// What the catalogue's tests share: the sample service on loopback with the three host variables
// pointing at it, and a song list kept in memory.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <string>
#include <vector>

#include "catalogue/song_list_view.h"
#include "extract/text.h"
#include "sampleservice/sample_service.h"

namespace melkora {

class MemoryListView : public SongListView {
public:
    using Row = std::array<Text, k_column_count>;

    int row_count() const override { return static_cast<int>(rows_.size()); }
    int insert_row() override {
        rows_.emplace_back();
        ticked_.push_back(false);
        return row_count() - 1;
    }
    void delete_all_rows() override {
        rows_.clear();
        ticked_.clear();
    }
    Text cell_text(int row, int column) const override { return rows_.at(index(row)).at(index(column)); }
    void set_cell_text(int row, int column, const Text& text) override { rows_.at(index(row)).at(index(column)) = text; }
    bool is_ticked(int row) const override { return ticked_.at(index(row)); }
    void set_ticked(int row, bool ticked) override { ticked_.at(index(row)) = ticked; }
    void ensure_visible(int) override {}
    int current_selection() const override { return selection_; }
    void set_current_selection(int row) override { selection_ = row; }
    void set_focus() override {}

    const std::vector<Row>& rows() const { return rows_; }

private:
    static std::size_t index(int value) { return static_cast<std::size_t>(value); }

    std::vector<Row> rows_;
    std::vector<bool> ticked_;
    int selection_ = -1;
};

class CatalogueFixture : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(service_.start());
        point_hosts_at(service_.host_port());
    }
    void TearDown() override {
        for (const char* name : {"MELKORA_SEARCH_HOST", "MELKORA_TIP_HOST", "MELKORA_WEB_HOST"}) unsetenv(name);
    }

    static void point_hosts_at(const std::string& host_port) {
        for (const char* name : {"MELKORA_SEARCH_HOST", "MELKORA_TIP_HOST", "MELKORA_WEB_HOST"})
            setenv(name, host_port.c_str(), 1);
    }

    // An address where nothing listens: a service that has been started and stopped again.
    static std::string closed_host_port() {
        sample::SampleService gone({1, {}, 30});
        if (!gone.start()) return "127.0.0.1:9";
        auto host_port = gone.host_port();
        gone.stop();
        return host_port;
    }

    // A list that an earlier load left, which failed loads must keep.
    static void fill_with_old_rows(MemoryListView& view) {
        for (int k = 0; k < 3; ++k) view.set_cell_text(view.insert_row(), k_column_name, "old " + std::to_string(k));
    }

    sample::SampleService service_;
};

}  // namespace melkora
