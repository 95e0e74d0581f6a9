<?php
// Runs WordPress's own paragraph adder, wpautop(), from the Debian package's
// files (no server, no database). Reads a JSON array of {"name", "text"} on
// standard input and writes a JSON object: "cases" maps each name to
// {"autop": wpautop(text), "hasBlocks": whether WordPress would skip wpautop
// for this post because it holds blocks}; "patterns" maps the file name of
// each block pattern bundled with WordPress to its markup.
$root = getenv('WORDPRESS_ROOT') ?: '/usr/share/wordpress';
define('ABSPATH', $root . '/');
define('WPINC', 'wp-includes');
require $root . '/wp-includes/formatting.php';

// The translation and escaping calls the pattern files make.
foreach (['__', '_x', 'esc_html__', 'esc_attr__', 'esc_html_x', 'esc_attr_x'] as $name) {
    if (!function_exists($name))
        eval("function $name(\$text) { return \$text; }");
}

$cases = json_decode(file_get_contents('php://stdin'), true);
if (!is_array($cases)) {
    fwrite(STDERR, "autop.php: expected a JSON array on standard input\n");
    exit(1);
}
$results = [];
foreach ($cases as $case) {
    $text = $case['text'];
    $results[$case['name']] = [
        'autop' => wpautop($text),
        // has_blocks() tests for this very text.
        'hasBlocks' => strpos($text, '<!-- wp:') !== false,
    ];
}
$patterns = [];
foreach (glob($root . '/wp-includes/block-patterns/*.php') as $file) {
    $pattern = include $file;
    if (is_array($pattern) && isset($pattern['content']))
        $patterns[basename($file)] = $pattern['content'];
}
echo json_encode(['cases' => (object)$results, 'patterns' => (object)$patterns],
                 JSON_UNESCAPED_UNICODE | JSON_UNESCAPED_SLASHES | JSON_INVALID_UTF8_SUBSTITUTE);
