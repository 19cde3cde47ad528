// Reading and writing a generated 5 MB JSON document with JsonCaixa and with nlohmann-json on
// the same document, each output checked; throughput is counted in bytes of that document both
// ways.
#include <charconv>
#include <optional>
#include <random>
#include <string>

#include <QString>

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include "JsonCaixa.h"

namespace {

/// A name as the document writes it and the text it stands for.
struct Name {
    const char* json;
    const char* text;
};
const Name kNames[] = {{"JO\u00c3O DA SILVA", "JO\u00c3O DA SILVA"},
                       {"Maria \\\"Bia\\\" Souza", "Maria \"Bia\" Souza"},
                       {"Ana\\tPaula / Lima", "Ana\tPaula / Lima"},
                       {"Jos\u00e9 \\u00c9rico", "Jos\u00e9 \u00c9rico"},
                       {"CL\u00cdNICA SA", "CL\u00cdNICA SA"}};

/// The number a number text stands for, as any correct reader reads it.
double numberOf(const std::string& text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

/// Records of a clinic-like export (objects, arrays, strings with escapes and numbers), and
/// the tree they stand for, made from the same values: what every side's output must equal.
struct Document {
    std::string text;
    nlohmann::json tree;
};

const Document& document() {
    static const Document made = [] {
        std::mt19937 random(1234);
        std::uniform_int_distribution<int> pick(0, 999999);
        Document d{"{\"versao\":\"1.7\",\"registros\":[", nullptr};
        nlohmann::json records = nlohmann::json::array();
        std::string& out = d.text;
        for (int i = 0; out.size() < 5 * 1000 * 1000; ++i) {
            if (i > 0)
                out += ',';
            const int n = pick(random);
            const std::string valor = std::to_string(n / 100) + "." + std::to_string(n % 100);
            const std::string taxa = std::string("-") + std::to_string(n % 7) + "e-3";
            out += "{\"codigo\":" + std::to_string(i) + ",\"nome\":\"" + kNames[n % 5].json +
                   "\",\"valor\":" + valor + ",\"taxa\":" + taxa +
                   ",\"ativo\":" + (n % 2 ? "true" : "false") + ",\"obs\":null,\"itens\":[" +
                   std::to_string(n % 10) + "," + std::to_string(n % 1000) +
                   ",{\"tipo\":\"a\\nb\",\"qtd\":3}],\"endereco\":{\"rua\":\"Rua " +
                   std::to_string(n) + "\",\"cep\":\"01310-100\"}}";
            records.push_back(
                {{"codigo", i},
                 {"nome", kNames[n % 5].text},
                 {"valor", numberOf(valor)},
                 {"taxa", numberOf(taxa)},
                 {"ativo", n % 2 == 1},
                 {"obs", nullptr},
                 {"itens", {n % 10, n % 1000, {{"tipo", "a\nb"}, {"qtd", 3}}}},
                 {"endereco", {{"rua", "Rua " + std::to_string(n)}, {"cep", "01310-100"}}}});
        }
        out += "]}";
        d.tree = {{"versao", "1.7"}, {"registros", std::move(records)}};
        return d;
    }();
    return made;
}

/// The document as JsonCaixa takes it, converted once before any timing.
const QString& documentText() {
    static const QString text = QString::fromStdString(document().text);
    return text;
}

void setThroughput(benchmark::State& state) {
    state.SetBytesProcessed(std::int64_t(state.iterations()) *
                            std::int64_t(document().text.size()));
}

bool sameTree(benchmark::State& state, const nlohmann::json& tree, const char* what) {
    const bool same = tree == document().tree;
    if (!same)
        state.SkipWithError(what);
    return same;
}

/// The tree a bag holds, taken through its members.
nlohmann::json treeOf(const vtx::JsonCaixa& bag) {
    nlohmann::json tree = bag.IsArray() ? nlohmann::json::array() : nlohmann::json::object();
    for (int i = 1; i <= bag.Count(); ++i) {
        const vtx::JsonValue value = bag.Item(i);
        nlohmann::json item;
        if (const auto nested = value.bag())
            item = treeOf(*nested);
        else if (const auto* text = value.get<QString>())
            item = text->toStdString();
        else if (const auto* number = value.get<double>())
            item = *number;
        else if (const auto* truth = value.get<bool>())
            item = *truth;
        else if (!value.isNull())
            item = "(a value of kind " + std::to_string(int(value.kind())) + ")";
        if (bag.IsArray())
            tree.push_back(std::move(item));
        else
            tree[bag.Name(i).toStdString()] = std::move(item);
    }
    return tree;
}

// Each side runs once before the timing, so that no figure holds the process's first use of
// that much memory. Each side's read is checked by the tree it holds, each side's write by the
// tree nlohmann reads from the text it wrote, both against the tree the document was made of. Both
// take their input in their own form (QString, std::string) made before the timing, and give their
// output in it.
void BM_ReadJsonCaixa(benchmark::State& state) {
    const QString& text = documentText();
    // The tree of the run before is let go inside the timing, as nlohmann's is.
    std::optional<vtx::JsonCaixa> bag;
    bag.emplace();
    bag->JSON(text);
    for (auto _ : state) {
        bag.emplace();
        bag->JSON(text);
        benchmark::DoNotOptimize(bag->Count());
    }
    sameTree(state, treeOf(*bag), "JsonCaixa read another tree");
    setThroughput(state);
}

void BM_ReadNlohmann(benchmark::State& state) {
    const std::string& text = document().text;
    nlohmann::json j = nlohmann::json::parse(text);
    for (auto _ : state) {
        j = nlohmann::json::parse(text);
        benchmark::DoNotOptimize(j.size());
    }
    sameTree(state, j, "nlohmann read another tree");
    setThroughput(state);
}

void BM_WriteJsonCaixa(benchmark::State& state) {
    vtx::JsonCaixa bag;
    bag.JSON(documentText());
    QString text = bag.JSON();
    for (auto _ : state) {
        text = bag.JSON();
        benchmark::DoNotOptimize(text.size());
    }
    sameTree(state, nlohmann::json::parse(text.toStdString()), "JsonCaixa wrote another tree");
    setThroughput(state);
}

void BM_WriteNlohmann(benchmark::State& state) {
    const nlohmann::json j = nlohmann::json::parse(document().text);
    std::string text = j.dump();
    for (auto _ : state) {
        text = j.dump();
        benchmark::DoNotOptimize(text.size());
    }
    sameTree(state, nlohmann::json::parse(text), "nlohmann wrote another tree");
    setThroughput(state);
}

} // namespace

BENCHMARK(BM_ReadJsonCaixa)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadNlohmann)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteJsonCaixa)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteNlohmann)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    // The document and its checks are made before any timing.
    documentText();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
