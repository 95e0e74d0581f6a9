<?php
// Installs and seeds the test site ("install"), or switches its permalinks
// ("permalinks pretty|plain"). start and permalinks run it as the web
// server's user, through PHP's command line. "install" prints the site's
// credentials as JSON on its standard output, which start keeps in a file
// that only root reads; nothing else is printed there.

if (PHP_SAPI !== 'cli') {
    exit(1);
}
$brevanton_command = $argv[1] ?? '';
if (!in_array($brevanton_command, ['install', 'permalinks'], true)) {
    fwrite(STDERR, "usage: seed.php install | permalinks pretty|plain\n");
    exit(2);
}

const BREVANTON_TIME_ZONE = 'Europe/Berlin';
const BREVANTON_PRETTY_PERMALINKS = '/%year%/%monthnum%/%postname%/';

$brevanton_port = trim((string) file_get_contents(getenv('BREVANTON_WORDPRESS_SITE') . '/port'));
// Debian's configuration is chosen by the Host header.
$_SERVER['HTTP_HOST'] = '127.0.0.1:' . $brevanton_port;
$_SERVER['SERVER_NAME'] = '127.0.0.1';
$_SERVER['SERVER_PORT'] = $brevanton_port;
$_SERVER['REQUEST_URI'] = '/';
$_SERVER['REQUEST_METHOD'] = 'GET';
$_SERVER['SERVER_PROTOCOL'] = 'HTTP/1.1';
if ($brevanton_command === 'install') {
    define('WP_INSTALLING', true);
}
// WordPress prints nothing on the standard output that the credentials go to.
ob_start();
require '/usr/share/wordpress/wp-load.php';
require_once ABSPATH . 'wp-admin/includes/upgrade.php';
require_once ABSPATH . 'wp-admin/includes/image.php';

function brevanton_fail(string $what): void
{
    ob_end_clean();
    fwrite(STDERR, "seed: $what\n");
    exit(1);
}

/** Returns the value, failing on a WP_Error or an empty one. */
function brevanton_checked($value, string $what)
{
    if (is_wp_error($value)) {
        brevanton_fail("$what: " . $value->get_error_message());
    }
    if (!$value) {
        brevanton_fail($what);
    }
    return $value;
}

function brevanton_set_permalinks(string $structure): void
{
    global $wp_rewrite;
    $wp_rewrite->set_permalink_structure($structure);
    $wp_rewrite->flush_rules(false);
}

if ($brevanton_command === 'permalinks') {
    $brevanton_kind = $argv[2] ?? '';
    if (!in_array($brevanton_kind, ['pretty', 'plain'], true)) {
        brevanton_fail('permalinks are "pretty" or "plain"');
    }
    brevanton_set_permalinks($brevanton_kind === 'pretty' ? BREVANTON_PRETTY_PERMALINKS : '');
    ob_end_clean();
    exit(0);
}

// --- The site and its two users -------------------------------------------

if (is_blog_installed()) {
    brevanton_fail('the site is installed already');
}
$brevanton_admin_password = wp_generate_password(24, false);
$brevanton_installed = wp_install('Brevanton Test Site', 'admin', 'admin@127.0.0.1', false, '',
    $brevanton_admin_password);
$brevanton_admin = (int) $brevanton_installed['user_id'];
brevanton_checked($brevanton_admin, 'no administrator');
wp_update_user(['ID' => $brevanton_admin, 'display_name' => 'Ada Administrator', 'first_name' => 'Ada',
    'last_name' => 'Administrator']);

$brevanton_author_password = wp_generate_password(24, false);
$brevanton_author = brevanton_checked(wp_insert_user([
    'user_login' => 'author',
    'user_pass' => $brevanton_author_password,
    'user_email' => 'author@127.0.0.1',
    'display_name' => 'Avery Author',
    'first_name' => 'Avery',
    'last_name' => 'Author',
    'role' => 'author',
]), 'could not add the author');

update_option('blogdescription', 'Posts, pages and media for the tests');
update_option('timezone_string', BREVANTON_TIME_ZONE);
update_option('gmt_offset', '');
update_option('posts_per_page', 10);
update_option('default_pingback_flag', 0);
update_option('default_ping_status', 'closed');
update_option('ping_sites', '');
update_option('uploads_use_yearmonth_folders', 1);
brevanton_set_permalinks(BREVANTON_PRETTY_PERMALINKS);

function brevanton_application_password(int $user): string
{
    $created = brevanton_checked(WP_Application_Passwords::create_new_application_password($user,
        ['name' => 'Brevanton tests']), 'could not make an application password');
    return WP_Application_Passwords::chunk_password($created[0]);
}
$brevanton_admin_application_password = brevanton_application_password($brevanton_admin);
$brevanton_author_application_password = brevanton_application_password($brevanton_author);

// The content is the administrator's, who may post any HTML: nothing is filtered.
wp_set_current_user($brevanton_admin);
wp_defer_term_counting(true);

// --- Categories (with parents) and tags --------------------------------------

$brevanton_topics = ['Architecture', 'Books', 'Cooking', 'Design', 'Engineering', 'Film', 'Gardening',
    'History', 'Music', 'Photography', 'Science', 'Travel'];
$brevanton_facets = ['Basics', 'Notes', 'Reviews', 'Tools', 'People', 'Places', 'Ideas', 'Questions'];
$brevanton_categories = [];
foreach ($brevanton_topics as $topic_index => $topic) {
    $topic_name = $topic_index === 2 ? 'Cooking & Küche' : $topic;
    $parent = brevanton_checked(wp_insert_term($topic_name, 'category',
        ['slug' => sanitize_title($topic), 'description' => "All about $topic."]), "category $topic")['term_id'];
    $brevanton_categories[] = $parent;
    foreach ($brevanton_facets as $facet_index => $facet) {
        $child = brevanton_checked(wp_insert_term("$topic $facet", 'category',
            ['parent' => $parent, 'slug' => sanitize_title("$topic $facet")]), "category $topic $facet")['term_id'];
        $brevanton_categories[] = $child;
        if ($facet_index === 0) {
            // A third level under the first facet of each topic.
            $brevanton_categories[] = brevanton_checked(wp_insert_term("$topic $facet Advanced", 'category',
                ['parent' => $child, 'slug' => sanitize_title("$topic $facet Advanced")]),
                "category $topic $facet Advanced")['term_id'];
        }
    }
}

$brevanton_tags = [];
$brevanton_tag_names = ['alpha', 'beta', 'gamma', 'delta', 'epsilon', 'zeta', 'eta', 'theta', 'iota', 'kappa',
    'lambda', 'mu', 'nu', 'xi', 'omicron', 'pi', 'rho', 'sigma', 'tau', 'upsilon', 'phi', 'chi', 'psi', 'omega',
    'Straße', 'naïve', 'tips & tricks', 'how-to', 'long read', 'quick note'];
foreach ($brevanton_tag_names as $tag) {
    $brevanton_tags[] = brevanton_checked(wp_insert_term($tag, 'post_tag'), "tag $tag")['term_id'];
}

// --- Images ----------------------------------------------------------------

/** A small picture, drawn with GD, in the uploads as an attachment. */
function brevanton_image(string $name, string $type, int $width, int $height, array $colour, string $title): int
{
    $image = imagecreatetruecolor($width, $height);
    imagefill($image, 0, 0, imagecolorallocate($image, $colour[0], $colour[1], $colour[2]));
    $ink = imagecolorallocate($image, 255 - $colour[0], 255 - $colour[1], 255 - $colour[2]);
    imagefilledellipse($image, intdiv($width, 2), intdiv($height, 2), intdiv($width, 2), intdiv($height, 2), $ink);
    imagestring($image, 5, 8, 8, $title, $ink);
    ob_start();
    $type === 'png' ? imagepng($image) : imagejpeg($image, null, 85);
    $bytes = ob_get_clean();
    imagedestroy($image);

    $upload = wp_upload_bits($name, null, $bytes, '2022/03');
    if ($upload['error']) {
        brevanton_fail("could not write $name: " . $upload['error']);
    }
    $id = brevanton_checked(wp_insert_attachment(wp_slash([
        'post_mime_type' => $type === 'png' ? 'image/png' : 'image/jpeg',
        'post_title' => $title,
        'post_excerpt' => "Caption of $title",
        'post_content' => "Description of $title.",
        'post_status' => 'inherit',
        'post_date' => '2022-03-01 12:00:00',
    ]), $upload['file'], 0, true), "attachment $name");
    wp_update_attachment_metadata($id, wp_generate_attachment_metadata($id, $upload['file']));
    update_post_meta($id, '_wp_attachment_image_alt', "Alternative text of $title");
    return $id;
}
$brevanton_images = [
    brevanton_image('red-circle.png', 'png', 640, 480, [200, 40, 40], 'Red circle'),
    brevanton_image('green-field.jpg', 'jpeg', 800, 600, [40, 160, 60], 'Green field'),
    brevanton_image('blue-square.png', 'png', 320, 320, [40, 60, 200], 'Blue square'),
    brevanton_image('yellow-sky.jpg', 'jpeg', 1200, 400, [230, 200, 40], 'Yellow sky'),
];

// --- Posts and pages -----------------------------------------------------------

function brevanton_block(string $name, string $html, string $attributes = ''): string
{
    $attributes = $attributes === '' ? '' : " $attributes";
    return "<!-- wp:$name$attributes -->\n$html\n<!-- /wp:$name -->";
}

/** Block markup of the post numbered $n: each one a little different. */
function brevanton_block_content(int $n, array $images): string
{
    $blocks = [brevanton_block('paragraph', "<p>Post number $n opens with a paragraph of plain words.</p>")];
    if ($n % 2 === 0) {
        $blocks[] = brevanton_block('heading', "<h2>A heading in post $n</h2>");
    }
    if ($n % 3 === 0) {
        $blocks[] = brevanton_block('list', "<ul><li>First item</li><li>Second item with <strong>bold</strong></li></ul>");
    }
    if ($n % 5 === 0) {
        $blocks[] = brevanton_block('paragraph',
            '<p>Grüße aus Köln — “quoted”, &amp; ampersands, &lt;angle brackets&gt;, 日本語, emoji 🚀 and a&nbsp;no-break space.</p>');
    }
    if ($n % 7 === 0) {
        $image = $images[$n % count($images)];
        $url = wp_get_attachment_url($image);
        $blocks[] = brevanton_block('image',
            "<figure class=\"wp-block-image size-full\"><img src=\"$url\" alt=\"\" class=\"wp-image-$image\"/></figure>",
            "{\"id\":$image,\"sizeSlug\":\"full\",\"linkDestination\":\"none\"}");
    }
    if ($n % 11 === 0) {
        $blocks[] = brevanton_block('quote',
            "<blockquote class=\"wp-block-quote\"><!-- wp:paragraph -->\n<p>A quotation.</p>\n<!-- /wp:paragraph --><cite>Someone</cite></blockquote>");
        $blocks[] = brevanton_block('code', "<pre class=\"wp-block-code\"><code>if (a &lt; b &amp;&amp; c) { return; }</code></pre>");
    }
    $blocks[] = brevanton_block('paragraph', "<p>  It ends here, with a <a href=\"/?p=1\">link home</a>.  </p>");
    return implode("\n\n", $blocks);
}

/** Adds a post or page, failing the seed if WordPress does not. */
function brevanton_post(array $post): int
{
    return brevanton_checked(wp_insert_post(wp_slash($post), true), 'could not add "' . $post['post_title'] . '"');
}

$brevanton_zone = new DateTimeZone(BREVANTON_TIME_ZONE);
$brevanton_first = new DateTimeImmutable('2022-01-03 09:15:00', $brevanton_zone);
$brevanton_count = count($brevanton_categories);
for ($n = 1; $n <= 120; ++$n) {
    // Every few days in site time; some shortly after midnight, so that the
    // day differs in UTC, and across both changes of summer time.
    $date = $brevanton_first->modify('+' . ($n * 5) . ' days')->modify('+' . (($n * 37) % 600) . ' minutes');
    if ($n % 9 === 0) {
        $date = $date->setTime(0, 30);
    }
    $categories = [$brevanton_categories[($n * 7) % $brevanton_count]];
    if ($n % 4 === 0) {
        $categories[] = $brevanton_categories[($n * 13 + 5) % $brevanton_count];
    }
    $tags = [];
    for ($t = 0; $t < $n % 4; ++$t) {
        $tags[] = $brevanton_tags[($n + $t * 11) % count($brevanton_tags)];
    }
    $post = [
        'post_type' => 'post',
        'post_status' => 'publish',
        'post_author' => $n % 4 === 0 ? $brevanton_author : $brevanton_admin,
        'post_title' => $n % 10 === 0 ? "Post $n: Ümlauts & “quotes”" : "Post $n",
        'post_name' => "post-$n",
        'post_date' => $date->format('Y-m-d H:i:s'),
        'post_content' => $n % 30 === 0
            ? "<p>Post $n is classic HTML, without blocks.</p>\n<p>Second paragraph &amp; more.</p>"
            : brevanton_block_content($n, $brevanton_images),
        'post_excerpt' => $n % 6 === 0 ? "The excerpt of post $n." : '',
        'post_category' => $categories,
        'tags_input' => $tags,
        'comment_status' => 'open',
        'ping_status' => 'closed',
    ];
    $id = brevanton_post($post);
    if ($n % 8 === 0) {
        set_post_thumbnail($id, $brevanton_images[$n % count($brevanton_images)]);
    }
    if ($n === 3) {
        stick_post($id);
    }
}

// Posts that are not published: drafts and pending ones with floating dates
// (no date of their own until published), future ones and private ones.
$brevanton_now = new DateTimeImmutable('now', $brevanton_zone);
$brevanton_others = [];
for ($n = 1; $n <= 6; ++$n) {
    $brevanton_others[] = ['post_status' => 'draft', 'post_title' => "Draft $n"];
}
for ($n = 1; $n <= 3; ++$n) {
    $brevanton_others[] = ['post_status' => 'pending', 'post_title' => "Pending $n"];
}
for ($n = 1; $n <= 4; ++$n) {
    $brevanton_others[] = ['post_status' => 'future', 'post_title' => "Future $n",
        'post_date' => $brevanton_now->modify('+' . (30 * $n) . ' days')->setTime(8, 0)->format('Y-m-d H:i:s')];
}
for ($n = 1; $n <= 3; ++$n) {
    $brevanton_others[] = ['post_status' => 'private', 'post_title' => "Private $n",
        'post_date' => $brevanton_first->modify('+' . (100 * $n) . ' days')->format('Y-m-d H:i:s')];
}
foreach ($brevanton_others as $index => $other) {
    $number = $index + 121;
    brevanton_post($other + [
        'post_type' => 'post',
        'post_author' => $index % 2 ? $brevanton_author : $brevanton_admin,
        'post_name' => sanitize_title($other['post_title']),
        'post_content' => brevanton_block_content($number, $brevanton_images),
        'post_category' => [$brevanton_categories[$number % $brevanton_count]],
        'tags_input' => [$brevanton_tags[$number % count($brevanton_tags)]],
    ]);
}

// Pages, some under others.
$brevanton_pages = [];
for ($n = 1; $n <= 12; ++$n) {
    $status = $n === 11 ? 'draft' : ($n === 12 ? 'private' : 'publish');
    $page = [
        'post_type' => 'page',
        'post_status' => $status,
        'post_author' => $brevanton_admin,
        'post_title' => "Page $n",
        'post_name' => "page-$n",
        'post_parent' => $n > 4 && $n <= 10 ? $brevanton_pages[($n - 1) % 4] : 0,
        'menu_order' => $n,
        'post_content' => brevanton_block_content(200 + $n, $brevanton_images),
    ];
    if ($status !== 'draft') {
        $page['post_date'] = $brevanton_first->modify("+$n days")->format('Y-m-d H:i:s');
    }
    $brevanton_pages[] = brevanton_post($page);
}

wp_defer_term_counting(false);

ob_end_clean();
echo json_encode([
    'url' => home_url(),
    'time_zone' => BREVANTON_TIME_ZONE,
    'administrator' => [
        'id' => $brevanton_admin,
        'username' => 'admin',
        'password' => $brevanton_admin_password,
        'application_password' => $brevanton_admin_application_password,
    ],
    'author' => [
        'id' => $brevanton_author,
        'username' => 'author',
        'password' => $brevanton_author_password,
        'application_password' => $brevanton_author_application_password,
    ],
], JSON_PRETTY_PRINT | JSON_UNESCAPED_SLASHES | JSON_UNESCAPED_UNICODE), "\n";
