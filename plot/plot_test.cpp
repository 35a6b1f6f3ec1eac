#include "plot/plot.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <fstream>
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
bool xml_ben_formato(const std::string& x, std::string& perche) {
  std::vector<std::string> aperti;
  size_t i = 0;
  bool radice = false;
  while ((i = x.find('<', i)) != std::string::npos) {
    if (x.compare(i, 4, "<!--") == 0) {
      const size_t f = x.find("-->", i);
      if (f == std::string::npos) return perche = "open comment", false;
      i = f + 3;
      continue;
    }
    if (x.compare(i, 2, "<?") == 0 || x.compare(i, 2, "<!") == 0) {
      const size_t f = x.find('>', i);
      if (f == std::string::npos) return perche = "open declaration", false;
      i = f + 1;
      continue;
    }
    size_t f = i + 1;
    char virgolette = 0;
    for (; f < x.size(); ++f) {
      if (virgolette) {
        if (x[f] == virgolette) virgolette = 0;
      } else if (x[f] == '"' || x[f] == '\'') {
        virgolette = x[f];
      } else if (x[f] == '>') {
        break;
      }
    }
    if (f >= x.size()) return perche = "open tag at " + std::to_string(i), false;
    const std::string tag = x.substr(i + 1, f - i - 1);
    const bool chiusura = !tag.empty() && tag[0] == '/';
    const bool vuoto = !tag.empty() && tag.back() == '/';
    const std::string nome = tag.substr(chiusura ? 1 : 0, tag.find_first_of(" \t\r\n/", 1) - (chiusura ? 1 : 0));
    if (nome.empty()) return perche = "tag without a name at " + std::to_string(i), false;
    if (chiusura) {
      if (aperti.empty() || aperti.back() != nome) return perche = "</" + nome + "> closes nothing open", false;
      aperti.pop_back();
    } else if (!vuoto) {
      if (aperti.empty() && radice) return perche = "second root element", false;
      aperti.push_back(nome);
      radice = true;
    } else if (aperti.empty()) {
      radice = true;
    }
    i = f + 1;
  }
  if (!aperti.empty()) return perche = "<" + aperti.back() + "> never closed", false;
  if (!radice) return perche = "no element", false;
  return true;
}

class Plot : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = prova::cartella_prova(std::string("plot_") +
                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    sc = prova::scenario();
    scrivi_scenario(dir, "Corvale_Pravena AV", "409", sc);
  }
  void TearDown() override { fs::remove_all(dir); }

  static void scrivi_scenario(const fs::path& d, const std::string& nome, const std::string& treno,
                              const prova::Scenario& s) {
    prova::scrivi(d / (nome + "_" + treno + ".dat"), serializza_celle(s.celle));
    prova::scrivi(d / (nome + "_" + treno + ".sim"), serializza_elementi(s.elementi));
    prova::scrivi(d / (nome + "_linea.dat"), serializza_tracciato(s.tracciato));
  }

  static std::string messaggio(const std::function<void()>& f) {
    try {
      f();
    } catch (const std::exception& e) {
      return e.what();
    }
    return "(no error)";
  }

  fs::path dir;
  prova::Scenario sc;
};

TEST_F(Plot, FindsTheThreeFilesOfTheScenarioInADirectory) {
  prova::scrivi(dir / "Corvale_linea.dat", "");  // a shorter scenario name that also prefixes the base
  prova::scrivi(dir / "notes.txt", "");
  const FileCompilati f = trova_file_scenario({dir});
  EXPECT_EQ(f.celle, dir / "Corvale_Pravena AV_409.dat");
  EXPECT_EQ(f.elementi, dir / "Corvale_Pravena AV_409.sim");
  EXPECT_EQ(f.tracciato, dir / "Corvale_Pravena AV_linea.dat");
}

TEST_F(Plot, DirectoryErrorsNameTheFiles) {
  const fs::path due = prova::cartella_prova("plot_two");
  scrivi_scenario(due, "Corvale_Pravena AV", "409", sc);
  scrivi_scenario(due, "Corvale_Pravena AV", "410", sc);
  const std::string m = messaggio([&] { trova_file_scenario({due}); });
  EXPECT_NE(m.find("several scenarios"), std::string::npos) << m;
  EXPECT_NE(m.find("Corvale_Pravena AV_409.sim"), std::string::npos) << m;
  EXPECT_NE(m.find("Corvale_Pravena AV_410.sim"), std::string::npos) << m;
  fs::remove(due / "Corvale_Pravena AV_410.sim");
  fs::remove(due / "Corvale_Pravena AV_linea.dat");
  EXPECT_NE(messaggio([&] { trova_file_scenario({due}); }).find("no track plan"), std::string::npos);
  fs::remove(due / "Corvale_Pravena AV_409.dat");
  EXPECT_NE(messaggio([&] { trova_file_scenario({due}); }).find("not its cells file Corvale_Pravena AV_409.dat"),
            std::string::npos);
  fs::remove_all(due);
  const fs::path vuota = prova::cartella_prova("plot_empty");
  EXPECT_NE(messaggio([&] { trova_file_scenario({vuota}); }).find("no compiled"), std::string::npos);
  fs::remove_all(vuota);
}

TEST_F(Plot, GivenFilesAreSortedBySuffix) {
  const fs::path c = dir / "Corvale_Pravena AV_409.dat", e = dir / "Corvale_Pravena AV_409.sim",
                 p = dir / "Corvale_Pravena AV_linea.dat";
  const FileCompilati f = trova_file_scenario({p, c, e});
  EXPECT_EQ(f.celle, c);
  EXPECT_EQ(f.elementi, e);
  EXPECT_EQ(f.tracciato, p);
  EXPECT_NE(messaggio([&] { trova_file_scenario({c, e}); }).find("missing a track plan"), std::string::npos);
  EXPECT_NE(messaggio([&] { trova_file_scenario({c, e, p, c}); }).find("two cells files given"), std::string::npos);
  EXPECT_NE(messaggio([&] { trova_file_scenario({c, e, dir / "x.txt"}); }).find("not a compiled file"),
            std::string::npos);
}

TEST_F(Plot, PngHasTheRequestedSizeAndIsDrawn) {
  const fs::path png = dir / "scenario.png";
  plot_scenario({dir}, png, {900, 640});
  cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
  ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(cairo_image_surface_get_width(s), 900);
  EXPECT_EQ(cairo_image_surface_get_height(s), 640);
  cairo_surface_flush(s);
  const unsigned char* d = cairo_image_surface_get_data(s);
  const int passo = cairo_image_surface_get_stride(s);
  size_t non_bianchi = 0, rossi = 0;
  std::set<uint32_t> colori;
  for (int y = 0; y < 640; ++y) {
    for (int x = 0; x < 900; ++x) {
      uint32_t px;
      std::memcpy(&px, d + y * passo + x * 4, 4);
      colori.insert(px & 0xFFFFFF);
      if ((px & 0xFFFFFF) != 0xFFFFFF) ++non_bianchi;
      const int r = (px >> 16) & 0xFF, g = (px >> 8) & 0xFF, b = px & 0xFF;
      if (r > 180 && g < 80 && b < 80) ++rossi;  // signal marks
    }
  }
  cairo_surface_destroy(s);
  EXPECT_GT(non_bianchi, 900u * 640 / 10);
  EXPECT_LT(non_bianchi, 900u * 640 * 9 / 10);
  EXPECT_GT(colori.size(), 50u);
  EXPECT_GT(rossi, 20u);
}

TEST_F(Plot, SvgIsWellFormedXml) {
  const fs::path svg = dir / "scenario.SVG";
  plot_scenario({dir / "Corvale_Pravena AV_409.dat", dir / "Corvale_Pravena AV_409.sim",
                 dir / "Corvale_Pravena AV_linea.dat"},
                svg);
  std::ifstream in(svg, std::ios::binary);
  std::stringstream testo;
  testo << in.rdbuf();
  const std::string x = testo.str();
  EXPECT_NE(x.find("<svg"), std::string::npos);
  EXPECT_NE(x.find("width=\"1600px\""), std::string::npos);
  std::string perche;
  EXPECT_TRUE(xml_ben_formato(x, perche)) << perche;
  EXPECT_FALSE(xml_ben_formato("<svg><g></svg>", perche));
  EXPECT_FALSE(xml_ben_formato("<svg><g/>", perche));
  if (fs::exists("/usr/bin/rsvg-convert")) {
    const fs::path png = dir / "from_svg.png";
    const std::string comando = "/usr/bin/rsvg-convert -o '" + png.string() + "' '" + svg.string() + "'";
    ASSERT_EQ(std::system(comando.c_str()), 0);
    cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
    EXPECT_EQ(cairo_image_surface_get_width(s), 1600);
    EXPECT_EQ(cairo_image_surface_get_height(s), 1000);
    cairo_surface_destroy(s);
  }
}

TEST_F(Plot, RefusesBadOutputsAndMalformedInputs) {
  EXPECT_THROW(plot_scenario({dir}, dir / "x.pdf"), std::invalid_argument);
  EXPECT_THROW(plot_scenario({dir}, dir / "x.png", {100, 100}), std::invalid_argument);
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
  ScenarioCompilato vuoto;
  EXPECT_NO_THROW(disegna_scenario(vuoto, dir / "empty.png"));
  // A plan that is one point, NaN and huge values, a restriction without end,
  // a station far beyond the cells.
  ScenarioCompilato strano;
  strano.celle.resize(5);
  strano.celle[2].tipo = tipo_cella::inizio_rallentamento;
  strano.celle[2].valore_1 = -30;
  strano.celle[3].pendenza = 255;
  strano.tracciato = Tracciato(3);
  strano.tracciato.colonna(0)[0] = Numero::reale(1e300);
  strano.tracciato.colonna(1)[0] = Numero::reale(std::nan(""));
  strano.tracciato.colonna(0)[1] = Numero::intero(5);
  strano.tracciato.colonna(1)[1] = Numero::intero(5);
  strano.elementi[1].nome = "FAR";
  strano.elementi[1].progressiva = 2000000000;
  strano.elementi[1].inizio = -2000000000;
  EXPECT_NO_THROW(disegna_scenario(strano, dir / "odd.svg"));
  EXPECT_GT(fs::file_size(dir / "odd.svg"), 0u);
}

}  // namespace
}  // namespace sc
