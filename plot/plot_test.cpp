#include "plot/plot.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

#include "format/compiled_decode.h"
#include "format/compiled_decode_test.h"

namespace sc {
namespace {

namespace fs = std::filesystem;

// A small well-formedness check: every element closes in order, comments,
// declarations and processing instructions are skipped, quoted attribute
// values may hold '>'.
bool xml_well_formed(const std::string& x, std::string& why) {
  std::vector<std::string> open;
  size_t i = 0;
  bool root = false;
  while ((i = x.find('<', i)) != std::string::npos) {
    if (x.compare(i, 4, "<!--") == 0) {
      const size_t f = x.find("-->", i);
      if (f == std::string::npos) return why = "open comment", false;
      i = f + 3;
      continue;
    }
    if (x.compare(i, 2, "<?") == 0 || x.compare(i, 2, "<!") == 0) {
      const size_t f = x.find('>', i);
      if (f == std::string::npos) return why = "open declaration", false;
      i = f + 1;
      continue;
    }
    size_t f = i + 1;
    char quotes = 0;
    for (; f < x.size(); ++f) {
      if (quotes) {
        if (x[f] == quotes) quotes = 0;
      } else if (x[f] == '"' || x[f] == '\'') {
        quotes = x[f];
      } else if (x[f] == '>') {
        break;
      }
    }
    if (f >= x.size()) return why = "open tag at " + std::to_string(i), false;
    const std::string tag = x.substr(i + 1, f - i - 1);
    const bool close = !tag.empty() && tag[0] == '/';
    const bool empty = !tag.empty() && tag.back() == '/';
    const std::string nome =
        tag.substr(close ? 1 : 0, tag.find_first_of(" \t\r\n/", 1) - (close ? 1 : 0));
    if (nome.empty()) return why = "tag without a name at " + std::to_string(i), false;
    if (close) {
      if (open.empty() || open.back() != nome)
        return why = "</" + nome + "> closes nothing open", false;
      open.pop_back();
    } else if (!empty) {
      if (open.empty() && root) return why = "second root element", false;
      open.push_back(nome);
      root = true;
    } else if (open.empty()) {
      root = true;
    }
    i = f + 1;
  }
  if (!open.empty()) return why = "<" + open.back() + "> never closed", false;
  if (!root) return why = "no element", false;
  return true;
}

class Plot : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fixture::test_dir(std::string("plot_") +
                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    sc = fixture::scenario();
    write_scenario(dir, "Corvale_Pravena AV", "409", sc);
  }
  void TearDown() override { fs::remove_all(dir); }

  static void write_scenario(const fs::path& d, const std::string& nome, const std::string& treno,
                             const fixture::Scenario& s) {
    fixture::write(d / (nome + "_" + treno + ".dat"), serializza_celle(s.celle));
    fixture::write(d / (nome + "_" + treno + ".sim"), serializza_elementi(s.elementi));
    fixture::write(d / (nome + "_linea.dat"), serializza_tracciato(s.tracciato));
  }

  static std::string message(const std::function<void()>& f) {
    try {
      f();
    } catch (const std::exception& e) {
      return e.what();
    }
    return "(no error)";
  }

  fs::path dir;
  fixture::Scenario sc;
};

TEST_F(Plot, FindsTheThreeFilesOfTheScenarioInADirectory) {
  fixture::write(dir / "Corvale_linea.dat",
                 "");  // a shorter scenario name that also prefixes the base
  fixture::write(dir / "notes.txt", "");
  const CompiledPaths f = find_scenario_files({dir});
  EXPECT_EQ(f.celle, dir / "Corvale_Pravena AV_409.dat");
  EXPECT_EQ(f.elementi, dir / "Corvale_Pravena AV_409.sim");
  EXPECT_EQ(f.tracciato, dir / "Corvale_Pravena AV_linea.dat");
}

TEST_F(Plot, DirectoryErrorsNameTheFiles) {
  const fs::path two = fixture::test_dir("plot_two");
  write_scenario(two, "Corvale_Pravena AV", "409", sc);
  write_scenario(two, "Corvale_Pravena AV", "410", sc);
  const std::string m = message([&] { find_scenario_files({two}); });
  EXPECT_NE(m.find("several scenarios"), std::string::npos) << m;
  EXPECT_NE(m.find("Corvale_Pravena AV_409.sim"), std::string::npos) << m;
  EXPECT_NE(m.find("Corvale_Pravena AV_410.sim"), std::string::npos) << m;
  fs::remove(two / "Corvale_Pravena AV_410.sim");
  fs::remove(two / "Corvale_Pravena AV_linea.dat");
  EXPECT_NE(message([&] { find_scenario_files({two}); }).find("no track plan"), std::string::npos);
  fs::remove(two / "Corvale_Pravena AV_409.dat");
  EXPECT_NE(message([&] {
              find_scenario_files({two});
            }).find("not its cells file Corvale_Pravena AV_409.dat"),
            std::string::npos);
  fs::remove_all(two);
  const fs::path vuota = fixture::test_dir("plot_empty");
  EXPECT_NE(message([&] { find_scenario_files({vuota}); }).find("no compiled"), std::string::npos);
  fs::remove_all(vuota);
}

TEST_F(Plot, GivenFilesAreSortedBySuffix) {
  const fs::path c = dir / "Corvale_Pravena AV_409.dat", e = dir / "Corvale_Pravena AV_409.sim",
                 p = dir / "Corvale_Pravena AV_linea.dat";
  const CompiledPaths f = find_scenario_files({p, c, e});
  EXPECT_EQ(f.celle, c);
  EXPECT_EQ(f.elementi, e);
  EXPECT_EQ(f.tracciato, p);
  EXPECT_NE(message([&] {
              find_scenario_files({c, e});
            }).find("missing a track plan"),
            std::string::npos);
  EXPECT_NE(message([&] {
              find_scenario_files({c, e, p, c});
            }).find("two cells files given"),
            std::string::npos);
  EXPECT_NE(message([&] {
              find_scenario_files({c, e, dir / "x.txt"});
            }).find("not a compiled file"),
            std::string::npos);
}

TEST_F(Plot, PngHasTheRequestedSizeAndIsDrawn) {
  const fs::path png = dir / "scenario.png";
  plot_scenario({dir}, png, {900, 640, {}, {}});
  cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
  ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(cairo_image_surface_get_width(s), 900);
  EXPECT_EQ(cairo_image_surface_get_height(s), 640);
  cairo_surface_flush(s);
  const unsigned char* d = cairo_image_surface_get_data(s);
  const int step = cairo_image_surface_get_stride(s);
  size_t non_white = 0, red = 0;
  std::set<uint32_t> colors;
  for (int y = 0; y < 640; ++y) {
    for (int x = 0; x < 900; ++x) {
      uint32_t px;
      std::memcpy(&px, d + y * step + x * 4, 4);
      colors.insert(px & 0xFFFFFF);
      if ((px & 0xFFFFFF) != 0xFFFFFF) ++non_white;
      const int r = (px >> 16) & 0xFF, g = (px >> 8) & 0xFF, b = px & 0xFF;
      if (r > 180 && g < 80 && b < 80) ++red;  // signal marks
    }
  }
  cairo_surface_destroy(s);
  EXPECT_GT(non_white, 900u * 640 / 10);
  EXPECT_LT(non_white, 900u * 640 * 9 / 10);
  EXPECT_GT(colors.size(), 50u);
  EXPECT_GT(red, 20u);
}

TEST_F(Plot, SvgIsWellFormedXml) {
  const fs::path svg = dir / "scenario.SVG";
  plot_scenario({dir / "Corvale_Pravena AV_409.dat", dir / "Corvale_Pravena AV_409.sim",
                 dir / "Corvale_Pravena AV_linea.dat"},
                svg);
  std::ifstream in(svg, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  const std::string x = text.str();
  EXPECT_NE(x.find("<svg"), std::string::npos);
  EXPECT_NE(x.find("width=\"1600px\""), std::string::npos);
  std::string why;
  EXPECT_TRUE(xml_well_formed(x, why)) << why;
  EXPECT_FALSE(xml_well_formed("<svg><g></svg>", why));
  EXPECT_FALSE(xml_well_formed("<svg><g/>", why));
  if (fs::exists("/usr/bin/rsvg-convert")) {
    const fs::path png = dir / "from_svg.png";
    const std::string command =
        "/usr/bin/rsvg-convert -o '" + png.string() + "' '" + svg.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
    EXPECT_EQ(cairo_image_surface_get_width(s), 1600);
    EXPECT_EQ(cairo_image_surface_get_height(s), 1000);
    cairo_surface_destroy(s);
  }
}

TEST_F(Plot, RefusesBadOutputsAndMalformedInputs) {
  EXPECT_THROW(plot_scenario({dir}, dir / "x.pdf"), std::invalid_argument);
  EXPECT_THROW(plot_scenario({dir}, dir / "x.png", {100, 100, {}, {}}), std::invalid_argument);
  fs::resize_file(dir / "Corvale_Pravena AV_409.sim", 500);
  try {
    plot_scenario({dir}, dir / "x.png");
    ADD_FAILURE();
  } catch (const DecodeError& e) {
    const std::string m = e.what();
    EXPECT_NE(m.find("Corvale_Pravena AV_409.sim: element table: record"), std::string::npos) << m;
  }
  EXPECT_FALSE(fs::exists(dir / "x.png"));
}

TEST_F(Plot, DrawsEmptyOrOddScenariosWithoutFailing) {
  CompiledScenario empty;
  EXPECT_NO_THROW(draw_scenario(empty, dir / "empty.png"));
  // A plan that is one point, NaN and huge values, a restriction without end,
  // a station far beyond the cells.
  CompiledScenario odd;
  odd.celle.resize(5);
  odd.celle[2].tipo = tipo_cella::inizio_rallentamento;
  odd.celle[2].valore_1 = -30;
  odd.celle[3].pendenza = 255;
  Tracciato odd_plan(3);
  odd_plan.column(0)[0] = Numero::real(1e300);
  odd_plan.column(1)[0] = Numero::real(std::nan(""));
  odd_plan.column(0)[1] = Numero::integer(5);
  odd_plan.column(1)[1] = Numero::integer(5);
  odd.tracciato = odd_plan;
  odd.elementi[1].nome = "FAR";
  odd.elementi[1].progressiva = 2000000000;
  odd.elementi[1].inizio = -2000000000;
  EXPECT_NO_THROW(draw_scenario(odd, dir / "odd.svg"));
  EXPECT_GT(fs::file_size(dir / "odd.svg"), 0u);
}

std::string read_text(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST_F(Plot, FilesOfDifferentScenariosAreRefusedWithTheReason) {
  const CompiledPaths f{dir / "Corvale_Pravena AV_409.dat", dir / "Corvale_Pravena AV_409.sim",
                        dir / "Corvale_Pravena AV_linea.dat"};
  const auto scenario = [](const fixture::Scenario& p) {
    CompiledScenario s;
    s.celle = p.celle;
    s.elementi = p.elementi;
    s.tracciato = p.tracciato;
    return s;
  };
  sc.celle[1].valore_2 = 2386;  // the plain contest code of "409" and "Corvale_Pravena AV"
  EXPECT_EQ(different_scenarios(f, scenario(sc)), "");
  const struct {
    const char* test_case;
    std::function<void(fixture::Scenario&, CompiledPaths&)> change;
    const char* reason;
  } cases[] = {
      {"cells of another identity",
       [](fixture::Scenario& s, CompiledPaths&) { s.celle[1].valore_2 += 1; },
       "holds the contest code 2387 in cell 1, where scenario \"Corvale_Pravena AV\" train "
       "\"409\""},
      {"cells of another line", [](fixture::Scenario& s, CompiledPaths&) { s.celle.resize(1000); },
       "Corvale_Pravena AV_409.dat holds 1000 cells, where the 92000 m line of Corvale_Pravena "
       "AV_409.sim has 1981"},
      {"plan of another line",
       [](fixture::Scenario& s, CompiledPaths&) { s.tracciato = Tracciato(5000); },
       "Corvale_Pravena AV_linea.dat holds 5001 rows, where the 92000 m line"},
      {"names", [](fixture::Scenario&, CompiledPaths& n) { n.elementi = "Altro_7.sim"; },
       "are not of one scenario and train"},
      {"plan name", [](fixture::Scenario&, CompiledPaths& n) { n.tracciato = "Altro_linea.dat"; },
       "Altro_linea.dat is not the track plan of Corvale_Pravena AV_409"},
  };
  for (const auto& c : cases) {
    fixture::Scenario s = sc;
    CompiledPaths n = f;
    c.change(s, n);
    EXPECT_NE(different_scenarios(n, scenario(s)).find(c.reason), std::string::npos)
        << c.test_case << ": " << different_scenarios(n, scenario(s));
  }
}

TEST(CompileStop, SpeedsThatStopShortOfTheEndFill) {
  std::vector<Cella> celle(20);
  for (Cella& c : celle) c.velocita = 50;
  for (size_t i = 17; i < 20; ++i) celle[i].velocita = 0;  // the last three: never filled
  EXPECT_EQ(compile_stop(celle), std::nullopt);
  for (size_t i = 12; i < 20; ++i) celle[i].velocita = 0;
  EXPECT_EQ(compile_stop(celle), 600.0);
  for (Cella& c : celle) c.velocita = 0;
  EXPECT_EQ(compile_stop(celle), 0.0);
  EXPECT_EQ(compile_stop({}), std::nullopt);
}

TEST_F(Plot, SvgKeepsTextsAsTextAndMarksAStoppedCompile) {
  plot_scenario({dir}, dir / "a.svg");
  const std::string a = read_text(dir / "a.svg");
  EXPECT_NE(a.find("font-weight=\"bold\" fill=\"rgb(26,26,31)\" xml:space=\"preserve\">Profile "
                   "along the line</text>"),
            std::string::npos);
  EXPECT_EQ(a.find("compile stopped"), std::string::npos);

  for (size_t i = 700; i < sc.celle.size(); ++i) sc.celle[i].velocita = 0;
  write_scenario(dir, "Corvale_Pravena AV", "409", sc);
  PlotOptions o;
  o.from = 20000;
  o.a = 50000;
  plot_scenario({dir}, dir / "b.svg", o);
  const std::string b = read_text(dir / "b.svg");
  EXPECT_NE(b.find(">compile stopped at a fault</text>"), std::string::npos);
  EXPECT_NE(b.find("no speed from 35.0 km on"), std::string::npos);
  std::string why;
  EXPECT_TRUE(xml_well_formed(b, why)) << why;
  // The axis shows the stretch asked for, 20 to 50 km, every 5 km.
  EXPECT_NE(b.find(">45</text>"), std::string::npos);
  EXPECT_EQ(b.find(">15</text>"), std::string::npos);
  EXPECT_EQ(b.find(">55</text>"), std::string::npos);
  for (const auto& [from, a] : {std::pair{50000.0, 20000.0}, {-1.0, 10.0}, {200000.0, 300000.0}}) {
    o.from = from;
    o.a = a;
    EXPECT_THROW(plot_scenario({dir}, dir / "c.png", o), std::invalid_argument) << from << " " << a;
  }
}

}  // namespace
}  // namespace sc
