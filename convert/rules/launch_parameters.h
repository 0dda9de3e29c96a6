// The parameter text the processor is started with: input path, stylesheet, output path.
#pragma once

#include "runtime/text/text_value.h"

namespace convert {

// The output directory as the user typed or pasted it, without leading and trailing blanks
// and without the double quotes around it that a copied path brings.
rt::Text OutputDirectory(rt::TextView pathOut);

// The output directory (as above) followed by the clipped output name, with a "\" between them
// when the directory is not empty and does not end in a separator already. Both may come
// straight from blank-padded fields.
rt::Text OutputPath(rt::TextView pathOut, rt::TextView outputName);

// " <input path> qRec7to4.xsl -o <output path>", whole however long. A path containing a
// blank or a tab is enclosed in double quotes so that the processor sees it as one argument;
// any other path is passed exactly as it is.
rt::Text ParameterText(rt::TextView fileIn, rt::TextView pathOut, rt::TextView outputName);

// The same with the output path given whole.
rt::Text ParameterTextFor(rt::TextView fileIn, rt::TextView outputPath);

}  // namespace convert
