// Feeds arbitrary bytes to the settings reader as the file beside the
// executable. The reader must never crash or hang, and whatever it reads
// must survive a save and a second start unchanged.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "fakes/file_bytes.h"
#include "fakes/form_harness.h"

namespace {

struct Snapshot {
    std::vector<std::string> values;
    bool lossy = false;

    explicit Snapshot(const Form1& f)
    {
        for (const TextBox* field : {&f.Text1, &f.Text2, &f.Text3, &f.Text5, &f.Text8, &f.Text7, &f.Text6})
            values.push_back(field->text());
        values.push_back(f.Option1.value() ? "1" : "0");
        values.push_back(f.Option2.value() ? "1" : "0");
        values.insert(values.end(), f.Combo1.items().begin(), f.Combo1.items().end());
        values.push_back(f.Combo1.text());
        // Bytes that are not GBK come back as U+FFFD, which GBK cannot hold.
        for (const std::string& value : values)
            lossy = lossy || value.find("\xEF\xBF\xBD") != std::string::npos;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FormHarness first;
    writeBytes(first.temp.path() / "ondrel.ini", std::string(reinterpret_cast<const char*>(data), size));
    first.form.Form_Load();
    const Snapshot read(first.form);
    if (read.lossy || !first.messages.boxes.empty())
        return 0;

    first.form.Command6_Click();
    FormHarness second;
    std::filesystem::copy_file(first.temp.path() / "ondrel.ini", second.temp.path() / "ondrel.ini");
    second.form.Form_Load();
    if (Snapshot(second.form).values != read.values)
        std::abort();
    return 0;
}
