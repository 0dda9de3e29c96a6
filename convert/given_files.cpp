#include "convert/given_files.h"

#include "runtime/system/file_facts.h"

namespace convert {

GivenFiles GatherGivenFiles(const std::vector<rt::Text>& paths) {
  GivenFiles given;
  for (const rt::Text& path : paths) {
    std::vector<rt::Text> matching = NamesAPattern(path) ? rt::FilesMatching(path) : std::vector<rt::Text>{};
    if (matching.empty()) matching.push_back(path);
    for (const rt::Text& found : matching) {
      // By its long names, so that a short name is checked as the file's own.
      const rt::Text full = rt::LongPath(found);
      if (!rt::IsDirectory(full)) {
        given.inputs.push_back({full, false, !rt::IsFile(full)});
        continue;
      }
      given.fromDirectory = true;
      const rt::Text directory = DirectoryPath(full);
      const std::size_t before = given.inputs.size();
      for (const rt::Text& file : rt::FilesIn(directory)) {
        if (IsXmlName(file)) given.inputs.push_back({file, false, false});
      }
      if (given.inputs.size() == before) given.inputs.push_back({directory, true, false, true});
    }
  }
  given.inputs = WithoutRepeats(std::move(given.inputs));
  return given;
}

}  // namespace convert
