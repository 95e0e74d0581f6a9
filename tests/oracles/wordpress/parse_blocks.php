<?php
// Runs WordPress's own block parser, from Debian's wordpress package, with no
// server and no database.
//   php parse_blocks.php tree        reads a post body on standard input and
//                                    prints its block tree as JSON
//   php parse_blocks.php blocks      the same, with every block's whole
//                                    parse: freeform HTML too, attributes,
//                                    inner HTML and inner content
//   php parse_blocks.php patterns    prints the bundled block patterns' contents
//   php parse_blocks.php attributes  reads a JSON object on standard input and
//                                    prints it as the server writes it into a comment
$root = getenv('WORDPRESS_ROOT') ?: '/usr/share/wordpress';
require $root . '/wp-includes/class-wp-block-parser.php';

function _x($text, $context) { return $text; }
function __($text, $domain = 'default') { return $text; }
// The server's JSON writer is json_encode with its own sanity checks.
function wp_json_encode($data, $options = 0, $depth = 512) { return json_encode($data, $options, $depth); }

// Blocks as name, attributes and inner blocks; freeform HTML between blocks
// has no name and is left out.
function tree($blocks) {
    $out = array();
    foreach ($blocks as $block) {
        if ($block['blockName'] === null)
            continue;
        $out[] = array(
            'name' => $block['blockName'],
            'attrs' => (object) ($block['attrs'] ?? array()),
            'inner' => tree($block['innerBlocks']),
        );
    }
    return $out;
}

// Every block as parse_blocks() answers it; attributes as objects.
function blocks($blocks) {
    $out = array();
    foreach ($blocks as $block) {
        $out[] = array(
            'name' => $block['blockName'],
            'attrs' => (object) ($block['attrs'] ?? array()),
            'innerHTML' => $block['innerHTML'],
            'innerContent' => $block['innerContent'],
            'inner' => blocks($block['innerBlocks']),
        );
    }
    return $out;
}

$flags = JSON_UNESCAPED_SLASHES | JSON_UNESCAPED_UNICODE;
switch ($argv[1] ?? '') {
case 'tree':
    $parser = new WP_Block_Parser();
    echo json_encode(tree($parser->parse(stream_get_contents(STDIN))), $flags);
    break;
case 'blocks':
    $parser = new WP_Block_Parser();
    echo json_encode(blocks($parser->parse(stream_get_contents(STDIN))), $flags);
    break;
case 'patterns':
    $contents = array();
    foreach (glob($root . '/wp-includes/block-patterns/*.php') as $file) {
        $pattern = require $file;
        $contents[basename($file)] = $pattern['content'];
    }
    echo json_encode((object) $contents, $flags);
    break;
case 'attributes':
    require $root . '/wp-includes/blocks.php';
    echo serialize_block_attributes(json_decode(stream_get_contents(STDIN), true));
    break;
default:
    fwrite(STDERR, "usage: parse_blocks.php tree|blocks|patterns|attributes\n");
    exit(2);
}
